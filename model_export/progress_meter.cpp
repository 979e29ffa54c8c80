#include "model_export/progress_meter.h"

#include <algorithm>

namespace model_export {

namespace {

// The meter moves once per this many steps of a run: about a hundred moves.
constexpr int kMoves = 100;

}  // namespace

ProgressMeter::ProgressMeter(const CRhinoDoc* doc, int total, const wchar_t* label)
    : m_total(total), m_stride(std::max(1, total / kMoves)) {
  if (!doc || total <= 0) return;
  CRhinoDoc* meterDoc = const_cast<CRhinoDoc*>(doc);
  // Another meter already running (-1) or none made (0): this run shows none.
  if (meterDoc->StatusBarProgressMeterStart(0, total, label) == 1) m_doc = meterDoc;
}

ProgressMeter::~ProgressMeter() {
  if (m_doc) m_doc->StatusBarProgressMeterEnd();
}

void ProgressMeter::Step() {
  if (!m_doc || m_done >= m_total) return;
  ++m_done;
  if (m_done - m_shown < m_stride && m_done != m_total) return;
  m_shown = m_done;
  m_doc->StatusBarProgressMeterPos(m_done);
}

}  // namespace model_export
