#include "standin/bridge/call_log.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>
#include <vector>

#include "tests/standin_bridge/bridge_library.h"

namespace orvex_bridge {
namespace {

using orvex_bridge_test::Keys;
using orvex_bridge_test::ReadJsonLines;
using test_support::ReadLines;
using test_support::ScopedEnv;
using test_support::TempDir;

TEST(CallLogOptions, ReadFromEnvironment) {
  {
    ScopedEnv log("ORVEX_BRIDGE_LOG", "/tmp/x.jsonl");
    ScopedEnv arrays("ORVEX_BRIDGE_LOG_ARRAYS", std::nullopt);
    const CallLogOptions options = CallLogOptionsFromEnvironment();
    EXPECT_EQ(options.path, "/tmp/x.jsonl");
    EXPECT_TRUE(options.arrays);
  }
  {
    ScopedEnv log("ORVEX_BRIDGE_LOG", std::nullopt);
    ScopedEnv arrays("ORVEX_BRIDGE_LOG_ARRAYS", "0");
    const CallLogOptions options = CallLogOptionsFromEnvironment();
    EXPECT_EQ(options.path, "");
    EXPECT_FALSE(options.arrays);
  }
  {
    ScopedEnv arrays("ORVEX_BRIDGE_LOG_ARRAYS", "1");
    EXPECT_TRUE(CallLogOptionsFromEnvironment().arrays);
  }
}

TEST(CallLog, WritesHeaderThenArgumentsOneLinePerCall) {
  TempDir dir;
  const auto file = dir.path() / "calls.jsonl";
  {
    CallLog log({file.string(), true});
    EXPECT_TRUE(log.enabled());
    log.Write("Connect", JsonLine().Int("result", 0));
    log.Write("EndElement", JsonLine());
    log.Write("SetModelFilePath", JsonLine().Text("path", "a\nb"));
  }
  const auto lines = ReadLines(file);
  ASSERT_EQ(lines.size(), 3u);
  const auto objects = ReadJsonLines(file);
  EXPECT_EQ(Keys(objects[0]), (std::vector<std::string>{"fn", "seq", "thread", "ms", "result"}));
  EXPECT_EQ(Keys(objects[1]), (std::vector<std::string>{"fn", "seq", "thread", "ms"}));
  EXPECT_EQ(Keys(objects[2]), (std::vector<std::string>{"fn", "seq", "thread", "ms", "path"}));
  EXPECT_EQ(objects[0]["fn"], "Connect");
  EXPECT_EQ(objects[1]["fn"], "EndElement");
  EXPECT_EQ(objects[2]["path"], "a\nb");
  for (std::size_t i = 0; i < objects.size(); ++i) {
    EXPECT_EQ(objects[i]["seq"], i);
    EXPECT_EQ(objects[i]["thread"], 0);
    EXPECT_TRUE(objects[i]["ms"].is_number());
  }
  EXPECT_EQ(lines[0].rfind("{\"fn\":\"Connect\",\"seq\":0,\"thread\":0,\"ms\":", 0), 0u)
      << lines[0];
  EXPECT_EQ(lines[0].substr(lines[0].size() - 12), ",\"result\":0}") << lines[0];
}

TEST(CallLog, AppendsToAnExistingFile) {
  TempDir dir;
  const auto file = dir.path() / "calls.jsonl";
  std::ofstream(file) << "{\"earlier\":true}\n";
  for (int round = 0; round < 2; ++round) {
    CallLog log({file.string(), true});
    log.Write("Connect", JsonLine().Int("result", round));
  }
  const auto objects = ReadJsonLines(file);
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(objects[0]["earlier"], true);
  EXPECT_EQ(objects[1]["result"], 0);
  EXPECT_EQ(objects[2]["result"], 1);
  EXPECT_EQ(objects[2]["seq"], 0);  // a new log counts from 0 again
}

TEST(CallLog, MillisecondsCountFromConstruction) {
  TempDir dir;
  const auto file = dir.path() / "calls.jsonl";
  CallLog log({file.string(), true});
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  log.Write("Connect", JsonLine());
  log.Write("Connect", JsonLine());
  const auto objects = ReadJsonLines(file);
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_GE(objects[0]["ms"].get<double>(), 40.0);
  EXPECT_LT(objects[0]["ms"].get<double>(), 60000.0);
  EXPECT_GE(objects[1]["ms"].get<double>(), objects[0]["ms"].get<double>());
}

TEST(CallLog, DisabledOrUnopenableLogWritesNothing) {
  TempDir dir;
  CallLog disabled({"", true});
  EXPECT_FALSE(disabled.enabled());
  disabled.Write("Connect", JsonLine());

  const auto missing = dir.path() / "no-such-folder" / "calls.jsonl";
  CallLog unopenable({missing.string(), true});
  unopenable.Write("Connect", JsonLine());
  unopenable.Write("Connect", JsonLine());
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(CallLog, NumbersThreadsInOrderOfFirstCall) {
  TempDir dir;
  const auto file = dir.path() / "calls.jsonl";
  CallLog log({file.string(), true});
  log.Write("Main", JsonLine());
  std::thread([&] { log.Write("First", JsonLine()); }).join();
  std::thread([&] {
    log.Write("Second", JsonLine());
    log.Write("Second", JsonLine());
  }).join();
  log.Write("Main", JsonLine());
  const auto objects = ReadJsonLines(file);
  ASSERT_EQ(objects.size(), 5u);
  const std::vector<std::pair<std::string, int>> expected = {
      {"Main", 0}, {"First", 1}, {"Second", 2}, {"Second", 2}, {"Main", 0}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(objects[i]["fn"], expected[i].first) << i;
    EXPECT_EQ(objects[i]["thread"], expected[i].second) << i;
  }
}

TEST(CallLog, ConcurrentWritersProduceWholeLinesInSeqOrder) {
  TempDir dir;
  const auto file = dir.path() / "calls.jsonl";
  constexpr int kThreads = 4;
  constexpr int kCalls = 300;
  {
    CallLog log({file.string(), true});
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&log, t] {
        std::vector<int> payload(200, t);  // long lines make torn writes visible
        for (int i = 0; i < kCalls; ++i) {
          log.Write("Call",
                    JsonLine().Int("writer", t).Int("i", i).Ints("payload", payload.data(), 200));
        }
      });
    }
    for (auto& thread : threads) thread.join();
  }
  const auto objects = ReadJsonLines(file);
  ASSERT_EQ(objects.size(), static_cast<std::size_t>(kThreads * kCalls));
  std::map<int, int> threadOfWriter;
  std::map<int, int> nextOfWriter;
  for (std::size_t seq = 0; seq < objects.size(); ++seq) {
    const auto& object = objects[seq];
    ASSERT_EQ(object["seq"], seq);
    const int writer = object["writer"];
    ASSERT_EQ(object["payload"].size(), 200u);
    EXPECT_EQ(object["payload"][199], writer);
    EXPECT_EQ(object["i"], nextOfWriter[writer]++);  // each writer's calls keep their order
    const auto [entry, inserted] = threadOfWriter.emplace(writer, object["thread"].get<int>());
    if (!inserted) {
      EXPECT_EQ(entry->second, object["thread"]);
    }
  }
  std::set<int> numbers;
  for (const auto& entry : threadOfWriter) numbers.insert(entry.second);
  EXPECT_EQ(numbers, (std::set<int>{0, 1, 2, 3}));
}

}  // namespace
}  // namespace orvex_bridge
