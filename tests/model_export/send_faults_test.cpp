// Bad input and faults in a send, one row each, against the bridge stand-in.
// This program replaces operator new so that a row can refuse large
// allocations on every thread but the test's own: the conversion workers'.
//
// A mesh edited while a send is under way has no row: the host edits its
// document only on the command thread, which is inside the send until every
// conversion of it has ended (model_export/mesh_pipeline.h).
#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "model_export/mesh_buffers.h"
#include "model_export/model_exporter.h"
#include "tests/model_export/send_support.h"
#include "tests/model_export/test_meshes.h"

namespace {

const std::thread::id g_testThread = std::this_thread::get_id();
std::atomic<std::size_t> g_refuseAbove{static_cast<std::size_t>(-1)};
std::atomic<int> g_refusedOnWorkers{0};

}  // namespace

void* operator new(std::size_t size) {
  if (size > g_refuseAbove.load() && std::this_thread::get_id() != g_testThread) {
    ++g_refusedOnWorkers;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace model_export_test {
namespace {

using Names = std::vector<std::string>;

// A square grid of `cells` × `cells` quads, all corners distinct.
ON_Mesh QuadGrid(int cells) {
  ON_Mesh mesh;
  for (int j = 0; j <= cells; ++j)
    for (int i = 0; i <= cells; ++i) mesh.m_V.Append(ON_3fPoint(i, j, 0.25f * (i % 3)));
  for (int j = 0; j < cells; ++j)
    for (int i = 0; i < cells; ++i) {
      const int a = j * (cells + 1) + i;
      AppendQuad(mesh, a, a + 1, a + cells + 2, a + cells + 1);
    }
  return mesh;
}

// One triangle, `times` times over: a mesh that fills a group of the
// converter on its own.
ON_Mesh TriangleTimes(std::size_t times) {
  ON_Mesh mesh = UnitTriangle();
  for (std::size_t i = 1; i < times; ++i) AppendTriangle(mesh, 0, 1, 2);
  return mesh;
}

std::vector<int> IndicesTimes(std::size_t times) {
  std::vector<int> indices;
  for (std::size_t i = 0; i < times; ++i) indices.insert(indices.end(), {0, 1, 2});
  return indices;
}

ON_Mesh FourCorners(std::initializer_list<Xyz> corners) {
  ON_Mesh mesh;
  for (const Xyz& p : corners) mesh.m_V.Append(ON_3fPoint(p.x, p.y, p.z));
  return mesh;
}

struct Outcome {
  bool threwBadAlloc = false;
  bool countsFit = true;
  Names calls;  // after the materials element
  std::vector<std::vector<int>> indices;
  std::vector<std::string> prints;
};

struct FaultRow {
  const char* name;
  // Sends, or decides, and fills the outcome's flags; the rest is read back.
  std::function<void(Outcome&)> run;
  Outcome expected;
};

class SendFaultsTest : public SendTest {
 protected:
  // A full send of the document, with large allocations refused on workers.
  void Send(CRhinoDoc& doc, std::size_t refuseAbove, Outcome& outcome) {
    ModelExporter exporter;
    g_refuseAbove = refuseAbove;
    try {
      exporter.SendFullModel(&doc);
    } catch (const std::bad_alloc&) {
      outcome.threwBadAlloc = true;
    }
    g_refuseAbove = static_cast<std::size_t>(-1);
  }
};

TEST_F(SendFaultsTest, EachKeepsItsOutcome) {
  const Names kOneMesh = {"BeginElement",  "AddMesh",   "AddInstance", "EndElement",
                          "OptimizeModel", "StartSend", "DisConnect"};
  const Names kNoMesh = {"BeginElement", "EndElement", "OptimizeModel", "StartSend", "DisConnect"};
  const std::size_t kNone = static_cast<std::size_t>(-1);
  const FaultRow rows[] = {
      {"every quad's corners at one point: both diagonals of no length, no triangle",
       [&](Outcome& o) {
         CRhinoDoc doc;
         ON_Mesh mesh = FourCorners({{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}});
         AppendQuad(mesh, 0, 1, 2, 3);
         AppendQuad(mesh, 3, 2, 1, 0);
         AddMeshObject(doc, std::move(mesh));
         Send(doc, kNone, o);
       },
       {false, true, kNoMesh, {}, {}}},
      {"every quad with two corners at one point: one triangle each, without that edge",
       [&](Outcome& o) {
         CRhinoDoc doc;
         ON_Mesh mesh = FourCorners({{0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
         AppendQuad(mesh, 0, 1, 2, 3);  // corners 0 and 1 at one point
         AppendQuad(mesh, 2, 3, 0, 1);  // corners 2 and 3
         AddMeshObject(doc, std::move(mesh));
         Send(doc, kNone, o);
       },
       {false, true, kOneMesh, {{1, 2, 3, 1, 2, 3}}, {}}},
      {"faces with a vertex number outside the list are left out",
       [&](Outcome& o) {
         CRhinoDoc doc;
         ON_Mesh mesh = FourCorners({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
         AppendQuad(mesh, 0, 1, 2, 7);
         AppendTriangle(mesh, 0, 1, -1);
         AppendQuad(mesh, 0, 1, 2, 3);
         AddMeshObject(doc, std::move(mesh));
         Send(doc, kNone, o);
       },
       {false, true, kOneMesh, {{0, 1, 2, 0, 2, 3}}, {}}},
      {"more indices than the bridge's 32-bit count: said, and the mesh left out",
       [&](Outcome& o) {
         o.countsFit = model_export::CheckBridgeCounts(1000, (std::size_t{1} << 31) + 3);
       },
       {false, false, {}, {}, {"mesh too large to send: 1000 vertices, 715827883 triangles\n"}}},
      {"an allocation refused on a worker: the send ends there, as on the command thread",
       [&](Outcome& o) {
         // The first mesh is the command thread's to convert, the second a
         // worker's: 40,401 vertices, 484,812 bytes of positions.
         CRhinoDoc doc;
         AddMeshObject(doc, TriangleTimes(model_export::MeshConverter::kGroupFaces));
         AddMeshObject(doc, QuadGrid(200));
         AddMeshObject(doc, UnitTriangle());
         Send(doc, 400000, o);
       },
       {true,
        true,
        {"BeginElement", "AddMesh", "AddInstance", "EndElement", "BeginElement"},
        {IndicesTimes(model_export::MeshConverter::kGroupFaces)},
        {}}},
      {"an allocation refused on a worker after a mesh of the same group: that one is sent",
       [&](Outcome& o) {
         CRhinoDoc doc;
         AddMeshObject(doc, TriangleTimes(model_export::MeshConverter::kGroupFaces));
         AddMeshObject(doc, UnitTriangle());  // the group's first mesh
         AddMeshObject(doc, QuadGrid(200));   // its last: refused
         AddMeshObject(doc, UnitTriangle());
         Send(doc, 400000, o);
       },
       {true,
        true,
        {"BeginElement", "AddMesh", "AddInstance", "EndElement", "BeginElement", "AddMesh",
         "AddInstance", "EndElement", "BeginElement"},
        {IndicesTimes(model_export::MeshConverter::kGroupFaces), {0, 1, 2}},
        {}}},
  };
  for (const FaultRow& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();  // this row's calls and lines only
    const int refusedBefore = g_refusedOnWorkers;
    Outcome actual;
    row.run(actual);
    std::vector<Json> calls = Calls();
    std::size_t first = 0;  // past the materials element
    while (first < calls.size() && calls[first].at("fn") != "EndElement") ++first;
    for (std::size_t i = first + 1; i < calls.size(); ++i) {
      actual.calls.push_back(calls[i].at("fn").get<std::string>());
      if (calls[i].at("fn") == "AddMesh") actual.indices.push_back(Ints(calls[i].at("indices")));
    }
    actual.prints = Prints();
    EXPECT_EQ(actual.threwBadAlloc, row.expected.threwBadAlloc);
    EXPECT_EQ(actual.countsFit, row.expected.countsFit);
    EXPECT_EQ(actual.calls, row.expected.calls);
    EXPECT_EQ(actual.indices, row.expected.indices);
    EXPECT_EQ(actual.prints, row.expected.prints);
    if (row.expected.threwBadAlloc && std::thread::hardware_concurrency() > 1) {
      EXPECT_GT(g_refusedOnWorkers.load(), refusedBefore) << "the refusal was not a worker's";
    }
  }
}

}  // namespace
}  // namespace model_export_test
