#include "model_export/mesh_pipeline.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace model_export {
namespace {

// Looks at a conversion's end this many times, yielding in between, before
// sleeping until a worker says it has ended.
constexpr int kSpins = 200;

// While it waits, the command thread asks for the arrays of the meshes no
// worker has taken up yet, as far as this many bytes of them: the next few
// meshes of a document of small ones, well within a core's own cache.
constexpr std::size_t kWarmAhead = std::size_t{512} << 10;

}  // namespace

unsigned MeshConverter::WorkersFor(unsigned cores) {
  return cores <= 1 ? 0 : std::min(cores - 1, kMaxWorkers);
}

unsigned MeshConverter::ThreadsPerMesh(unsigned cores) {
  const unsigned workers = WorkersFor(cores);
  if (workers <= 1) return std::max(cores, 1u);
  return (cores + workers - 1) / workers;
}

MeshConverter::MeshConverter()
    : MeshConverter(WorkersFor(std::thread::hardware_concurrency()),
                    ThreadsPerMesh(std::thread::hardware_concurrency())) {}

MeshConverter::MeshConverter(unsigned workers, unsigned threadsPerMesh)
    : m_worker_count(workers),
      m_threads_per_mesh(threadsPerMesh),
      m_slots(workers == 0 ? 1 : 2 * workers + 1) {}

MeshConverter::~MeshConverter() { Release(); }

void MeshConverter::Release() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_work.notify_all();
  for (std::thread& worker : m_workers) worker.join();
  m_workers.clear();
  m_stop = false;
  std::vector<Slot>(m_slots.size()).swap(m_slots);  // every buffer given back
  m_choice = ConverterChoice();
  m_command_converts = false;
}

void MeshConverter::StartWorkers() {
  try {
    while (m_workers.size() < m_worker_count) m_workers.emplace_back([this] { WorkerLoop(); });
  } catch (const std::system_error&) {
    // Fewer workers, or none: the command thread converts what no worker
    // takes up.
  }
}

void MeshConverter::WorkerLoop() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    // A group may be taken up when its slot's last group has been released.
    if (!m_stop && !m_command_converts && m_next_job < m_count && !MayClaim()) AwaitSlot(lock);
    m_work.wait(lock, [this] { return m_stop || MayClaim(); });
    if (m_stop) return;
    ++m_converting;
    ConvertGroup(lock, false);
    --m_converting;
    m_done.notify_all();
  }
}

void MeshConverter::AwaitSlot(std::unique_lock<std::mutex>& lock) {
  // The command thread lets a slot go once it has made the bridge calls of
  // a group, as a rule soon: a short wait spares the worker a sleep and the
  // command thread the wake-up, which costs more than a group's conversion
  // when the core has gone idle.
  const std::size_t released = m_released.load(std::memory_order_relaxed);
  lock.unlock();
  for (int spin = 0; spin < kSpins && m_released.load(std::memory_order_relaxed) == released;
       ++spin)
    std::this_thread::yield();
  lock.lock();
}

void MeshConverter::ConvertGroup(std::unique_lock<std::mutex>& lock, bool onCommandThread) {
  Slot& slot = SlotOf(m_claimed++);
  slot.byCommand = onCommandThread;
  std::size_t faces = 0, count = 0;
  while (m_next_job + count < m_count && count < kGroupMeshes &&
         (count == 0 || faces < kGroupFaces))
    faces += static_cast<std::size_t>(m_jobs[m_next_job + count++].mesh->m_F.Count());
  slot.first = m_next_job;
  m_next_job += count;
  const MeshJob* const jobs = m_jobs + slot.first;
  const common::RendererFrame frame = m_frame;
  const unsigned threads = m_threads_per_mesh;
  const bool wakeWorkers = onCommandThread && !m_command_converts && m_next_job < m_count;
  // The slot is this group's alone until the command thread, having seen it
  // ready, releases it.
  lock.unlock();
  if (wakeWorkers) m_work.notify_all();
  if (slot.converted.size() < count) slot.converted.resize(count);
  std::exception_ptr fault;
  std::size_t done = 0, bytes = 0;
  for (; done < count && !fault; ++done) {
    ConvertedMesh& converted = slot.converted[done];
    bytes += ConvertedArrayBytes(*jobs[done].mesh);
    try {
      converted.sendable =
          ConvertMesh(*jobs[done].mesh, frame, jobs[done].axes, converted.buffers, threads);
    } catch (...) {
      fault = std::current_exception();
    }
  }
  lock.lock();
  slot.count = done;
  slot.bytes = bytes;
  slot.fault = fault;
  slot.ready.store(true, std::memory_order_release);
}

ConversionRun::ConversionRun(MeshConverter& converter, const common::RendererFrame& frame,
                             std::vector<MeshJob> jobs)
    : m_converter(converter), m_jobs(std::move(jobs)) {
  // A single mesh gains nothing from a worker.
  if (m_jobs.size() >= 2 && converter.m_workers.empty()) converter.StartWorkers();
  {
    std::lock_guard<std::mutex> lock(converter.m_mutex);
    converter.m_jobs = m_jobs.data();
    converter.m_count = m_jobs.size();
    converter.m_frame = frame;
    converter.m_next_job = 0;
    converter.m_claimed = 0;
    converter.m_released = 0;
  }
  // The workers are woken once the command thread takes up the first group
  // (Next): a run it converts whole, as one of a few meshes is, never wakes
  // them.
}

ConversionRun::~ConversionRun() {
  MeshConverter& c = m_converter;
  std::unique_lock<std::mutex> lock(c.m_mutex);
  c.m_count = c.m_next_job;
  c.m_done.wait(lock, [&c] { return c.m_converting == 0; });
  c.m_jobs = nullptr;
  c.m_count = c.m_next_job = c.m_claimed = 0;
  c.m_released = 0;
  for (MeshConverter::Slot& slot : c.m_slots) {
    slot.ready.store(false, std::memory_order_relaxed);
    slot.fault = nullptr;
  }
}

const ConvertedMesh& ConversionRun::Next() {
  static const ConvertedMesh kNothing;
  if (m_taken >= m_jobs.size()) return kNothing;
  MeshConverter& c = m_converter;
  if (m_holding) {
    MeshConverter::Slot& held = c.SlotOf(m_group - 1);
    if (m_taken < held.first + held.count) {
      // The group's own jobs are taken without a meeting, but for the one
      // whose conversion threw, which throws here.
      if (held.fault && m_taken + 1 == held.first + held.count) {
        ++m_taken;
        std::rethrow_exception(held.fault);
      }
      return held.converted[m_taken++ - held.first];
    }
  }
  // With no worker there is no way to choose, and nothing to time.
  if (!c.m_workers.empty()) {
    const auto now = std::chrono::steady_clock::now();
    if (m_holding) RecordHeld(now);
    m_held_since = now;
  }
  std::unique_lock<std::mutex> lock(c.m_mutex);
  if (m_holding) {
    c.SlotOf(m_group - 1).ready.store(false, std::memory_order_relaxed);
    c.m_released = m_group;
  }
  const std::size_t group = m_group++;
  m_holding = true;
  const bool commandConverts = c.m_choice.Current() == Converter::kCommandThread;
  const bool workersResume = c.m_command_converts && !commandConverts;
  c.m_command_converts = commandConverts;
  // The command thread converts a run's first group itself when no worker
  // has taken it up yet, and every group when there is no worker or it is
  // the way chosen; the others are the workers', converted while it makes
  // the bridge calls. The workers are woken, for the next group or the slot
  // let go, once the mutex is.
  if (c.m_claimed == group &&
      (group == 0 || c.m_workers.empty() || commandConverts || workersResume)) {
    c.ConvertGroup(lock, true);
  } else {
    WarmCursor warm{c.m_next_job, 0};
    lock.unlock();
    c.m_work.notify_all();
    // A worker as a rule finishes about when the bridge calls of the last
    // group do: a short wait spares the command thread a sleep and a
    // wake-up. It spends the wait bringing the worker's next meshes into the
    // caches, where the worker would wait on memory for each short array.
    const std::atomic<bool>& ready = c.SlotOf(group).ready;
    for (int spin = 0; spin < kSpins && !ready.load(std::memory_order_acquire); ++spin)
      if (!WarmAhead(warm)) std::this_thread::yield();
    lock.lock();
    c.m_done.wait(lock, [&ready] { return ready.load(std::memory_order_relaxed); });
  }
  lock.unlock();
  return Next();
}

void ConversionRun::RecordHeld(std::chrono::steady_clock::time_point now) {
  const MeshConverter::Slot& held = m_converter.SlotOf(m_group - 1);
  m_converter.m_choice.Record(held.byCommand ? Converter::kCommandThread : Converter::kWorkers,
                              std::chrono::duration<double>(now - m_held_since).count(),
                              held.bytes);
}

bool ConversionRun::WarmAhead(WarmCursor& warm) {
  for (; warm.next < m_jobs.size(); ++warm.next) {
    const ON_Mesh& mesh = *m_jobs[warm.next].mesh;
    warm.bytes += ConvertedArrayBytes(mesh);
    if (warm.bytes > kWarmAhead) break;
    if (warm.next < m_warmed) continue;
    WarmMeshArrays(mesh);
    m_warmed = ++warm.next;
    return true;
  }
  warm.next = m_jobs.size();
  return false;
}

}  // namespace model_export
