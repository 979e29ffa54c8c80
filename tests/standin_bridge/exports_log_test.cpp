// The call log as written by the loaded bridge library.

#include <chrono>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <thread>
#include <vector>

#include "tests/standin_bridge/bridge_fixture.h"

namespace orvex_bridge_test {
namespace {

using Keys_t = std::vector<std::string>;

class BridgeLog : public BridgeTest {};

TEST_F(BridgeLog, EveryExportLogsItsFieldsInOrder) {
  Load();
  const float positions[] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  const float normals[] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
  const float uvs[] = {0, 0, 1, 0, 0, 1};
  const int indices[] = {0, 1, 2};
  float transform[16];
  for (int i = 0; i < 16; ++i) transform[i] = static_cast<float>(i) * 0.5f;
  const float camera[] = {1, 2, 3, 0, 0, 0, 0, 0, 1};

  EXPECT_FALSE(BRIDGE_FN(SetOrvexRenderPath)(u"/no/such/folder"));
  EXPECT_EQ(BRIDGE_FN(StartLinkOrvexRender)(u"C:\\Docs\\house.3dm"), 1);
  BRIDGE_FN(SetModelFilePath)(u"C:\\Docs\\house.3dm");
  EXPECT_EQ(BRIDGE_FN(Connect)(), 0);
  EXPECT_TRUE(BRIDGE_FN(HasConnected)());
  const BridgeModel model = BRIDGE_FN(CreateModel)();
  EXPECT_EQ(model, 1);
  BRIDGE_FN(BeginElement)(model, u"id-1");
  BRIDGE_FN(AddMaterial)(model, u"mat-1", u"<material name=\"red\"/>");
  BRIDGE_FN(AddMesh)(model, u"mesh-1", positions, 9, normals, 9, uvs, 6, nullptr, 0, indices, 3);
  BRIDGE_FN(AddInstance)(model, u"mesh-1", u"mat-1", transform);
  BRIDGE_FN(EndElement)();
  BRIDGE_FN(DeleteElement)(model, u"id-1");
  BRIDGE_FN(OptimizeModel)(model);
  BRIDGE_FN(StartSend)(model);
  BRIDGE_FN(SendLightsDataXml)(u"C:\\Docs\\house.3dm", u"<lights/>");
  BRIDGE_FN(AddScene)(u"scene-1", u"Front", camera, 45.5f);
  BRIDGE_FN(StartSendScenes)(u"C:\\Docs\\house.3dm");
  BRIDGE_FN(SetCameraTransformFov)(camera, 60);
  BRIDGE_FN(DisConnect)();
  BRIDGE_FN(DestroyModel)(model);

  const std::vector<std::pair<std::string, Keys_t>> expected = {
      {"SetOrvexRenderPath", {"path", "result"}},
      {"StartLinkOrvexRender", {"path", "result"}},
      {"SetModelFilePath", {"path"}},
      {"Connect", {"result"}},
      {"HasConnected", {"result"}},
      {"CreateModel", {"result"}},
      {"BeginElement", {"model", "id"}},
      {"AddMaterial", {"model", "key", "record"}},
      {"AddMesh", {"model", "name", "positions", "normals", "uvs", "extra", "indices"}},
      {"AddInstance", {"model", "mesh", "material", "transform"}},
      {"EndElement", {}},
      {"DeleteElement", {"model", "id"}},
      {"OptimizeModel", {"model"}},
      {"StartSend", {"model"}},
      {"SendLightsDataXml", {"path", "xml"}},
      {"AddScene", {"id", "name", "camera", "fov"}},
      {"StartSendScenes", {"path"}},
      {"SetCameraTransformFov", {"camera", "fov"}},
      {"DisConnect", {}},
      {"DestroyModel", {"model"}},
  };
  const auto log = LogObjects();
  ASSERT_EQ(log.size(), expected.size());
  double lastMs = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    Keys_t keys = {"fn", "seq", "thread", "ms"};
    keys.insert(keys.end(), expected[i].second.begin(), expected[i].second.end());
    EXPECT_EQ(log[i]["fn"], expected[i].first);
    EXPECT_EQ(Keys(log[i]), keys) << expected[i].first;
    EXPECT_EQ(log[i]["seq"], i);
    EXPECT_EQ(log[i]["thread"], 0);
    ASSERT_TRUE(log[i]["ms"].is_number());
    EXPECT_GE(log[i]["ms"].get<double>(), lastMs);
    lastMs = log[i]["ms"].get<double>();
  }

  // The values, call by call.
  EXPECT_EQ(log[0]["path"], "/no/such/folder");
  EXPECT_EQ(log[0]["result"], false);
  EXPECT_EQ(log[1]["path"], "C:\\Docs\\house.3dm");
  EXPECT_EQ(log[1]["result"], 1);
  EXPECT_EQ(log[2]["path"], "C:\\Docs\\house.3dm");
  EXPECT_EQ(log[3]["result"], 0);
  EXPECT_EQ(log[4]["result"], true);
  EXPECT_EQ(log[5]["result"], 1);
  EXPECT_EQ(log[6]["model"], 1);
  EXPECT_EQ(log[6]["id"], "id-1");
  EXPECT_EQ(log[7]["key"], "mat-1");
  EXPECT_EQ(log[7]["record"], "<material name=\"red\"/>");
  EXPECT_EQ(log[8]["name"], "mesh-1");
  EXPECT_EQ(log[8]["positions"].get<std::vector<float>>(),
            std::vector<float>(positions, positions + 9));
  EXPECT_EQ(log[8]["normals"].get<std::vector<float>>(), std::vector<float>(normals, normals + 9));
  EXPECT_EQ(log[8]["uvs"].get<std::vector<float>>(), std::vector<float>(uvs, uvs + 6));
  EXPECT_TRUE(log[8]["extra"].is_null());
  EXPECT_EQ(log[8]["indices"].get<std::vector<int>>(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(log[9]["mesh"], "mesh-1");
  EXPECT_EQ(log[9]["material"], "mat-1");
  EXPECT_EQ(log[9]["transform"].get<std::vector<float>>(),
            std::vector<float>(transform, transform + 16));
  EXPECT_EQ(log[11]["id"], "id-1");
  EXPECT_EQ(log[12]["model"], 1);
  EXPECT_EQ(log[13]["model"], 1);
  EXPECT_EQ(log[14]["path"], "C:\\Docs\\house.3dm");
  EXPECT_EQ(log[14]["xml"], "<lights/>");
  EXPECT_EQ(log[15]["id"], "scene-1");
  EXPECT_EQ(log[15]["name"], "Front");
  EXPECT_EQ(log[15]["camera"].get<std::vector<float>>(), std::vector<float>(camera, camera + 9));
  EXPECT_EQ(log[15]["fov"], 45.5);
  EXPECT_EQ(log[16]["path"], "C:\\Docs\\house.3dm");
  EXPECT_EQ(log[17]["camera"].get<std::vector<float>>(), std::vector<float>(camera, camera + 9));
  EXPECT_EQ(log[17]["fov"], 60);
  EXPECT_EQ(log[19]["model"], 1);
}

TEST_F(BridgeLog, EachCallIsOneLineEndingInANewline) {
  Load();
  BRIDGE_FN(SendLightsDataXml)(u"doc", u"<lights>\n  <light/>\n</lights>\n");
  BRIDGE_FN(EndElement)();
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("\"xml\":\"<lights>\\n  <light/>\\n</lights>\\n\"}"), std::string::npos)
      << lines[0];
  EXPECT_EQ(lines[1].rfind("{\"fn\":\"EndElement\",\"seq\":1,\"thread\":0,\"ms\":", 0), 0u)
      << lines[1];
}

TEST_F(BridgeLog, FloatsAreWrittenShortestAndNonFiniteAsText) {
  Load();
  const float inf = std::numeric_limits<float>::infinity();
  const float camera[] = {0.1f,       1e-7f, 100.0f, std::numeric_limits<float>::quiet_NaN(),
                          inf,        -inf,  -0.0f,  std::numeric_limits<float>::max(),
                          1.0f / 3.0f};
  BRIDGE_FN(SetCameraTransformFov)(camera, 0.1f);
  BRIDGE_FN(AddScene)(u"s", u"n", camera, std::numeric_limits<float>::quiet_NaN());
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  const std::string cameraText =
      "\"camera\":[0.1,1e-07,100,\"nan\",\"inf\",\"-inf\",-0,3.4028235e+38,0.33333334]";
  EXPECT_NE(lines[0].find(cameraText + ",\"fov\":0.1}"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find(cameraText + ",\"fov\":\"nan\"}"), std::string::npos) << lines[1];
  const auto log = LogObjects();
  EXPECT_EQ(log[0]["camera"][1].get<float>(), 1e-7f);
  EXPECT_EQ(log[0]["camera"][8].get<float>(), 1.0f / 3.0f);
}

TEST_F(BridgeLog, TextsArriveAsUtf8) {
  Load();
  const char16_t loneHigh[] = {u'a', 0xD83D, u'b', 0};
  const BridgeModel model = BRIDGE_FN(CreateModel)();
  BRIDGE_FN(AddMaterial)
  (model, u"Caf\u00e9 \u65e5\u672c \U0001F600",
   u"say \"hi\" C:\\dir\nnext\ttab\x01"
   u"end");
  BRIDGE_FN(BeginElement)(model, loneHigh);
  BRIDGE_FN(SetModelFilePath)(nullptr);
  BRIDGE_FN(AddInstance)(model, nullptr, u"", nullptr);

  const auto lines = LogLines();
  const auto log = LogObjects();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[1]["key"],
            "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80");  // raw UTF-8 bytes
  EXPECT_EQ(log[1]["record"],
            "say \"hi\" C:\\dir\nnext\ttab\x01"
            "end");
  EXPECT_NE(lines[1].find("\"key\":\"Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80\""),
            std::string::npos)
      << lines[1];
  EXPECT_NE(lines[1].find("\"record\":\"say \\\"hi\\\" C:\\\\dir\\nnext\\ttab\\u0001end\""),
            std::string::npos)
      << lines[1];
  EXPECT_EQ(log[2]["id"],
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_TRUE(log[3]["path"].is_null());
  EXPECT_TRUE(log[4]["mesh"].is_null());
  EXPECT_EQ(log[4]["material"], "");
  EXPECT_TRUE(log[4]["transform"].is_null());
}

TEST_F(BridgeLog, ArraysHoldExactlyTheCountsPassed) {
  Load();
  // Each buffer is longer than the count passed; the values past the count must not appear.
  const float positions[] = {1, 2, 3, 4, 5, 6, 999, 999};
  const float normals[] = {0, 0, 1, 999};
  const float uvs[] = {0.25f, 0.75f, 999};
  const float extra[] = {7, 999};
  const int indices[] = {0, 1, 0, 999};
  const BridgeModel model = BRIDGE_FN(CreateModel)();
  auto addMesh = BRIDGE_FN(AddMesh);
  addMesh(model, u"a", positions, 6, normals, 3, uvs, 2, extra, 1, indices, 3);
  addMesh(model, u"b", nullptr, 3, normals, 0, uvs, -2, extra, 0, nullptr, 5);
  addMesh(model, u"c", nullptr, 0, nullptr, -1, nullptr, 0, nullptr, 4, indices, -3);

  const auto log = LogObjects();
  ASSERT_EQ(log.size(), 4u);
  const auto& a = log[1];
  EXPECT_EQ(a["positions"].get<std::vector<float>>(), (std::vector<float>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(a["normals"].get<std::vector<float>>(), (std::vector<float>{0, 0, 1}));
  EXPECT_EQ(a["uvs"].get<std::vector<float>>(), (std::vector<float>{0.25f, 0.75f}));
  EXPECT_EQ(a["extra"].get<std::vector<float>>(), (std::vector<float>{7}));
  EXPECT_EQ(a["indices"].get<std::vector<int>>(), (std::vector<int>{0, 1, 0}));

  const auto& b = log[2];
  EXPECT_TRUE(b["positions"].is_null());  // null pointer, elements announced
  EXPECT_EQ(b["normals"], nlohmann::ordered_json::array());
  EXPECT_EQ(b["uvs"], nlohmann::ordered_json::array());  // negative count
  EXPECT_EQ(b["extra"], nlohmann::ordered_json::array());
  EXPECT_TRUE(b["indices"].is_null());

  const auto& c = log[3];
  EXPECT_EQ(c["positions"], nlohmann::ordered_json::array());
  EXPECT_EQ(c["normals"], nlohmann::ordered_json::array());
  EXPECT_TRUE(c["extra"].is_null());  // a null extra pointer is null whatever the count
  EXPECT_EQ(c["indices"], nlohmann::ordered_json::array());
}

class BridgeLogCounts : public BridgeTest {};

TEST_F(BridgeLogCounts, LogArraysZeroWritesCountsAndKeepsSmallArrays) {
  Load(/*arrays=*/false);
  const float values[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const int indices[] = {0, 1, 2};
  const BridgeModel model = BRIDGE_FN(CreateModel)();
  auto addMesh = BRIDGE_FN(AddMesh);
  addMesh(model, u"a", values, 12, values, 9, values, 6, values, 2, indices, 3);
  addMesh(model, u"b", values, 3, nullptr, 0, values, -1, nullptr, 0, indices, 0);
  BRIDGE_FN(AddInstance)(model, u"a", u"m", values);
  BRIDGE_FN(AddScene)(u"s", u"n", values, 40);
  BRIDGE_FN(SetCameraTransformFov)(values, 50);

  const auto log = LogObjects();
  ASSERT_EQ(log.size(), 6u);
  const Keys_t meshKeys = {"fn",        "seq",         "thread",          "ms",
                           "model",     "name",        "positions_count", "normals_count",
                           "uvs_count", "extra_count", "indices_count"};
  EXPECT_EQ(Keys(log[1]), meshKeys);
  EXPECT_EQ(log[1]["positions_count"], 12);
  EXPECT_EQ(log[1]["normals_count"], 9);
  EXPECT_EQ(log[1]["uvs_count"], 6);
  EXPECT_EQ(log[1]["extra_count"], 2);
  EXPECT_EQ(log[1]["indices_count"], 3);
  EXPECT_EQ(Keys(log[2]), meshKeys);
  EXPECT_EQ(log[2]["positions_count"], 3);
  EXPECT_EQ(log[2]["uvs_count"], -1);
  EXPECT_TRUE(log[2]["extra_count"].is_null());  // no extra array at all
  EXPECT_EQ(log[2]["indices_count"], 0);

  EXPECT_EQ(log[3]["transform"].get<std::vector<float>>(), std::vector<float>(values, values + 16));
  EXPECT_EQ(log[4]["camera"].get<std::vector<float>>(), std::vector<float>(values, values + 9));
  EXPECT_EQ(log[5]["camera"].get<std::vector<float>>(), std::vector<float>(values, values + 9));
}

TEST_F(BridgeLog, ThreadsAreNumberedInOrderOfFirstCall) {
  Load();
  auto hasConnected = BRIDGE_FN(HasConnected);
  auto setCamera = BRIDGE_FN(SetCameraTransformFov);
  const float camera[9] = {};
  hasConnected();
  std::thread([&] { setCamera(camera, 30); }).join();
  hasConnected();
  std::thread([&] {
    setCamera(camera, 31);
    setCamera(camera, 32);
  }).join();

  const auto log = LogObjects();
  ASSERT_EQ(log.size(), 5u);
  const std::vector<int> threads = {0, 1, 0, 2, 2};
  for (std::size_t i = 0; i < threads.size(); ++i) {
    EXPECT_EQ(log[i]["seq"], i);
    EXPECT_EQ(log[i]["thread"], threads[i]) << i;
  }
}

TEST_F(BridgeLog, TwoThreadsCallingAtOnceGiveWholeLinesInSeqOrder) {
  Load();
  auto setCamera = BRIDGE_FN(SetCameraTransformFov);
  auto addMesh = BRIDGE_FN(AddMesh);
  const BridgeModel model = BRIDGE_FN(CreateModel)();
  constexpr int kCalls = 400;
  std::thread background([&] {
    for (int i = 0; i < kCalls; ++i) {
      const float camera[9] = {static_cast<float>(i)};
      setCamera(camera, 45);
    }
  });
  std::vector<float> positions(3000, 1.5f);  // long lines make torn writes visible
  for (int i = 0; i < kCalls; ++i) {
    addMesh(model, u"m", positions.data(), 3000, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
  }
  background.join();

  const auto log = LogObjects();
  ASSERT_EQ(log.size(), static_cast<std::size_t>(1 + 2 * kCalls));
  std::map<std::string, std::set<int>> threadsOfFn;
  int nextCamera = 0;
  for (std::size_t seq = 0; seq < log.size(); ++seq) {
    ASSERT_EQ(log[seq]["seq"], seq);
    threadsOfFn[log[seq]["fn"]].insert(log[seq]["thread"].get<int>());
    if (log[seq]["fn"] == "SetCameraTransformFov") {
      EXPECT_EQ(log[seq]["camera"][0], nextCamera++);
    } else if (log[seq]["fn"] == "AddMesh") {
      EXPECT_EQ(log[seq]["positions"].size(), 3000u);
    }
  }
  EXPECT_EQ(threadsOfFn["CreateModel"], (std::set<int>{0}));
  EXPECT_EQ(threadsOfFn["AddMesh"], (std::set<int>{0}));
  EXPECT_EQ(threadsOfFn["SetCameraTransformFov"].size(), 1u);
  EXPECT_EQ(threadsOfFn["SetCameraTransformFov"].count(0), 0u);
}

TEST_F(BridgeLog, MillisecondsCountFromLoad) {
  Load();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  BRIDGE_FN(Connect)();
  const auto log = LogObjects();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_GE(log[0]["ms"].get<double>(), 50.0);
}

TEST_F(BridgeLog, LoadingTheLibraryTwiceSharesOneRendererAndOneLog) {
  Load();
  {
    BridgeLibrary again(MainLibraryPath());
    ASSERT_TRUE(again.loaded()) << again.error();
    EXPECT_EQ(again.handle(), library_->handle());
    auto createAgain = again.Get<bridge_api::CreateModelFn>("CreateModel");
    ASSERT_NE(createAgain, nullptr);
    EXPECT_EQ(BRIDGE_FN(CreateModel)(), 1);
    EXPECT_EQ(createAgain(), 2);
  }
  EXPECT_TRUE(IsLoaded(MainLibraryPath()));  // the first load still holds it
  EXPECT_EQ(BRIDGE_FN(CreateModel)(), 3);
  const auto log = LogObjects();
  ASSERT_EQ(log.size(), 3u);
  for (std::size_t i = 0; i < log.size(); ++i) {
    EXPECT_EQ(log[i]["seq"], i);
    EXPECT_EQ(log[i]["result"], i + 1);
  }
}

}  // namespace
}  // namespace orvex_bridge_test
