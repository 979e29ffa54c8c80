#include "model_export/converter_choice.h"

namespace model_export {

void ConverterChoice::Record(Converter by, double seconds, std::size_t bytes) {
  const bool measured = by == Current() && m_groups >= kSettle && bytes > 0;
  ++m_groups;
  if (!m_trial) {
    if (measured) m_kept_pace.Add(seconds, bytes);
    if (m_groups < (m_tried ? kTrialEvery : kFirstTrialAfter)) return;
    m_tried = true;
    m_trial = true;
    m_groups = 0;
    m_trial_pace = Pace();
    return;
  }
  if (measured) m_trial_pace.Add(seconds, bytes);
  if (m_groups < kSettle + kMeasured) return;
  // The mean pace, not the middle one: the time a way loses is mostly in a
  // few long waits (a worker woken from sleep). A stretch too short to
  // measure, as where groups converted the other way took it up, decides
  // nothing.
  const Pace& kept = m_kept_pace;
  const Pace& trial = m_trial_pace;
  if (trial.groups >= kMeasured / 2 && kept.groups >= kMeasured / 2 &&
      trial.seconds * kept.bytes < kMargin * kept.seconds * trial.bytes) {
    m_kept = Other(m_kept);
    m_kept_pace = m_trial_pace;
  }
  m_trial = false;
  m_groups = 0;
}

}  // namespace model_export
