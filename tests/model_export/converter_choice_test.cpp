// The choice of the way to convert a send's meshes: kept by the time a byte
// each way takes, tried again now and then, and never decided by groups
// converted the other way.
#include "model_export/converter_choice.h"

#include <gtest/gtest.h>

namespace model_export_test {
namespace {

using model_export::Converter;
using model_export::ConverterChoice;

constexpr std::size_t kTrial = ConverterChoice::kSettle + ConverterChoice::kMeasured;

// Feeds `groups` groups of 1,000 bytes, each converted the way chosen for it
// at that way's pace (ns a byte); returns the way chosen for the last one.
Converter Feed(ConverterChoice& choice, std::size_t groups, double workersPace,
               double commandPace) {
  Converter way = choice.Current();
  for (std::size_t g = 0; g < groups; ++g) {
    way = choice.Current();
    choice.Record(way, (way == Converter::kWorkers ? workersPace : commandPace) * 1e-6, 1000);
  }
  return way;
}

TEST(ConverterChoice, KeepsTheWayThatTakesLessTimeAByteAndTriesAgain) {
  const struct {
    double workersPace, commandPace;
    Converter kept, keptOnceTurned;
  } cases[] = {
      {25, 20, Converter::kCommandThread, Converter::kWorkers},  // cores sharing no cache
      {14, 20, Converter::kWorkers, Converter::kCommandThread},  // cores sharing one
      {20, 18.5, Converter::kWorkers, Converter::kWorkers},      // within the margin
  };
  for (const auto& c : cases) {
    ConverterChoice choice;
    EXPECT_EQ(Feed(choice, ConverterChoice::kFirstTrialAfter, c.workersPace, c.commandPace),
              Converter::kWorkers);
    EXPECT_EQ(Feed(choice, kTrial, c.workersPace, c.commandPace), Converter::kCommandThread);
    EXPECT_EQ(choice.Current(), c.kept) << c.workersPace << " against " << c.commandPace;
    // The paces turn round: the next trial gives the other way back.
    Feed(choice, ConverterChoice::kTrialEvery + kTrial, c.commandPace, c.workersPace);
    EXPECT_EQ(choice.Current(), c.keptOnceTurned);
  }
}

TEST(ConverterChoice, GroupsConvertedTheOtherWayDecideNothing) {
  ConverterChoice choice;
  Feed(choice, ConverterChoice::kFirstTrialAfter, 25, 20);
  for (std::size_t g = 0; g < kTrial; ++g) choice.Record(Converter::kWorkers, 1e-9, 1000);
  EXPECT_EQ(choice.Current(), Converter::kWorkers);
}

}  // namespace
}  // namespace model_export_test
