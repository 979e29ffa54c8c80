// Which thread converts a send's meshes, chosen by the pace each way keeps.
//
// A worker converting a step ahead pays when the command thread reads the
// converted buffers from a cache the two cores share. When they share none
// (cores on two dies of a processor, or placed so by a virtual machine's
// host), each buffer crosses the processor and the send is slower than the
// command thread converting every mesh itself; which case holds can change
// from one second to the next. So the send keeps one way and, now and then,
// tries the other for a few groups of meshes, and keeps whichever took the
// command thread less time a byte.
#pragma once

#include <cstddef>

namespace model_export {

enum class Converter { kWorkers, kCommandThread };

class ConverterChoice {
 public:
  // The groups a way is kept before the first trial of the other, and before
  // each later one; a trial's groups, the first kSettle of them unmeasured
  // (a worker woken, a pipeline filling up); the margin a trial must win by.
  static constexpr std::size_t kFirstTrialAfter = 24;
  static constexpr std::size_t kTrialEvery = 512;
  static constexpr std::size_t kSettle = 2;
  static constexpr std::size_t kMeasured = 12;
  static constexpr double kMargin = 0.9;

  // The way for the next group.
  Converter Current() const { return m_trial ? Other(m_kept) : m_kept; }

  // The command thread's time on a group it is done with (its conversion or
  // the wait for it, and its bridge calls) and its arrays' bytes, with the
  // way it was converted; a group converted the other way (on the switch
  // between ways) moves the count on but is not measured.
  void Record(Converter by, double seconds, std::size_t bytes);

 private:
  static Converter Other(Converter c) {
    return c == Converter::kWorkers ? Converter::kCommandThread : Converter::kWorkers;
  }
  // The time and bytes of a way's measured groups.
  struct Pace {
    double seconds = 0;
    double bytes = 0;
    std::size_t groups = 0;
    void Add(double s, std::size_t b) {
      seconds += s;
      bytes += static_cast<double>(b);
      ++groups;
    }
  };

  Converter m_kept = Converter::kWorkers;
  bool m_trial = false;
  std::size_t m_groups = 0;  // groups of the current stretch (kept or trial)
  bool m_tried = false;      // a trial has been made
  Pace m_kept_pace;          // since the way was kept
  Pace m_trial_pace;
};

}  // namespace model_export
