// The conversion of render meshes on worker threads, a step ahead of the
// command thread: while the command thread hands one converted mesh to the
// bridge, a worker converts the next. The command thread takes the
// conversions one by one in the order the meshes were given, so the bridge
// is still called only from it, in document order, with the same calls.
//
// The workers read nothing but the meshes' own arrays (vertices, normals,
// texture coordinates, faces); the meshes were fetched on the command thread
// (RhinoGetRenderMeshes) and stay in the references the command thread holds
// until the run ends. No mesh can be edited while a run lasts: the host edits
// its document only on the command thread (commands, undo, scripts and the
// event handlers all run there), and that thread is inside the send until the
// run ends, and the end of a run waits for every conversion under way.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "RhinoSdk.h"
#include "common/renderer_frame.h"
#include "model_export/converter_choice.h"
#include "model_export/mesh_buffers.h"

namespace model_export {

// One mesh to convert.
struct MeshJob {
  const ON_Mesh* mesh = nullptr;
  common::MeshAxes axes = common::MeshAxes::kRenderer;
};

// A finished conversion: the buffers, and whether any triangle is left to
// send (ConvertMesh's answer).
struct ConvertedMesh {
  MeshBuffers buffers;
  bool sendable = false;
};

// The workers and the buffers of the conversions under way, kept by the
// exporter from run to run within a send.
class MeshConverter {
 public:
  // Workers beside the command thread: one fewer than the machine's cores,
  // at most this many, since the command thread's bridge calls cannot keep
  // more busy.
  static constexpr unsigned kMaxWorkers = 3;
  static unsigned WorkersFor(unsigned cores);
  // The threads each conversion of a large mesh may use (ConvertMesh): the
  // machine's cores shared among its workers, rounded up, so that one large
  // mesh, which a single worker takes up, still has every core.
  static unsigned ThreadsPerMesh(unsigned cores);

  // Meshes are handed over in groups of consecutive ones, so that the
  // threads meet once a group rather than once a mesh (a meeting costs about
  // as much as converting a mesh of a few hundred faces): a group ends with
  // the mesh that brings its faces to kGroupFaces, or with its
  // kGroupMeshes-th mesh. A large mesh is a group of its own. Few faces keep
  // the buffers converted ahead small.
  static constexpr std::size_t kGroupFaces = 1024;
  static constexpr std::size_t kGroupMeshes = 64;

  // With the workers and threads for this machine's cores, or as given
  // (workers 0: every conversion on the command thread, when it is taken).
  MeshConverter();
  explicit MeshConverter(unsigned workers, unsigned threadsPerMesh = 1);
  MeshConverter(const MeshConverter&) = delete;
  MeshConverter& operator=(const MeshConverter&) = delete;
  ~MeshConverter();

  // Ends the workers and gives back every buffer; no run may be under way.
  // The next run starts them again.
  void Release();

 private:
  friend class ConversionRun;

  // The conversions of one group of jobs.
  struct Slot {
    std::vector<ConvertedMesh> converted;  // one per job of the group, reused
    std::size_t first = 0;                 // the group's first job
    std::size_t count = 0;                 // its jobs, up to the one that threw
    std::exception_ptr fault;              // what its last job threw, if it threw
    std::size_t bytes = 0;                 // the arrays its jobs read (ConvertedArrayBytes)
    bool byCommand = false;                // converted on the command thread
    // Written under the mutex; read without it too, by the command thread's
    // short wait before it sleeps.
    std::atomic<bool> ready{false};
  };

  void StartWorkers();
  void WorkerLoop();
  // A worker's wait for a slot while jobs are left, spent looking at the
  // slots let go before sleeping until one is (the lock held on entry and
  // on return).
  void AwaitSlot(std::unique_lock<std::mutex>& lock);
  // Takes up the next group of jobs (under the lock) and converts it into its
  // slot with the lock let go; on the command thread, having first woken the
  // workers for the jobs left, unless it is converting every group itself. A
  // fault ends the group and is kept there.
  void ConvertGroup(std::unique_lock<std::mutex>& lock, bool onCommandThread);
  Slot& SlotOf(std::size_t group) { return m_slots[group % m_slots.size()]; }
  bool MayClaim() const {
    return !m_command_converts && m_next_job < m_count && m_claimed < m_released + m_slots.size();
  }

  const unsigned m_worker_count;
  const unsigned m_threads_per_mesh;
  std::vector<std::thread> m_workers;
  // Group g converts into slot g % count: one for the group the command
  // thread hands to the bridge, two for each worker to convert into, so that
  // a worker a little faster than the bridge calls need not wait for them.
  std::vector<Slot> m_slots;

  std::mutex m_mutex;
  std::condition_variable m_work;  // a group may be claimed, or the workers end
  std::condition_variable m_done;  // a group's conversion ended
  bool m_stop = false;
  // The run under way.
  const MeshJob* m_jobs = nullptr;
  std::size_t m_count = 0;
  common::RendererFrame m_frame{1.0};
  std::size_t m_next_job = 0;  // the first job of no group yet
  std::size_t m_claimed = 0;   // groups taken up for conversion
  // Groups the command thread is done with; written under the mutex, read
  // without it too, by a worker's short wait for a slot before it sleeps.
  std::atomic<std::size_t> m_released{0};
  std::size_t m_converting = 0;  // groups being converted on workers
  // The way the send converts, chosen by the command thread as it takes each
  // group up and started again by Release, at the end of every send; the
  // workers take up no group while the command thread converts them
  // (written under the mutex).
  ConverterChoice m_choice;  // the command thread's alone
  bool m_command_converts = false;
};

// One list of meshes through the converter, on the command thread.
class ConversionRun {
 public:
  ConversionRun(MeshConverter& converter, const common::RendererFrame& frame,
                std::vector<MeshJob> jobs);
  ConversionRun(const ConversionRun&) = delete;
  ConversionRun& operator=(const ConversionRun&) = delete;
  // Waits for the conversions under way; those not started are dropped.
  ~ConversionRun();

  // The conversion of the next job in the order given, once it is done (the
  // first one on the command thread when no worker has taken it up yet, all
  // of them when there is no worker). Valid until the next call or the end
  // of the run. What the conversion threw (an
  // allocation refused: std::bad_alloc) is thrown here, as if the command
  // thread had converted the mesh itself.
  const ConvertedMesh& Next();

 private:
  // The meshes ahead of the workers, walked while the command thread waits.
  struct WarmCursor {
    std::size_t next = 0;   // the next job to look at
    std::size_t bytes = 0;  // the arrays' bytes of the jobs looked at
  };
  // Asks for the arrays of the next mesh not asked for yet within
  // kWarmAhead bytes of the jobs no worker had taken up when the wait began
  // (WarmMeshArrays). False when there is none.
  bool WarmAhead(WarmCursor& warm);
  // The group held is done with: its time, from its take-up, goes to the
  // choice of the way to convert.
  void RecordHeld(std::chrono::steady_clock::time_point now);

  MeshConverter& m_converter;
  std::vector<MeshJob> m_jobs;
  std::size_t m_taken = 0;  // jobs taken
  std::size_t m_group = 0;  // groups taken, the last one held while its jobs are
  bool m_holding = false;
  std::chrono::steady_clock::time_point m_held_since;  // the held group's take-up
  std::size_t m_warmed = 0;  // the jobs before it taken up or their arrays asked for
};

}  // namespace model_export
