// .3dm files saved by the CAD application, opened by the host with openNURBS.
#include <gtest/gtest.h>

#include <fstream>

#include "command_names.h"
#include "host_sandbox.h"
#include "tests/support/file_io.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSamples = fs::path(ORVEX_SOURCE_DIR) / "../shared/3dm";

}  // namespace

TEST(ModelFileTest, SampleFilesSendTheirRenderMeshesAndSayWhatTheyLack) {
  struct Case {
    const char* file;
    int meshes;
    const char* notice;  // "" = none
  };
  for (const Case& c : {Case{"v7_my_mesh_with_material.3dm", 2, ""}, Case{"v5_teacup.3dm", 14, ""},
                        Case{"v7_my_brep.3dm", 0, "1 object has no render mesh"},
                        Case{"v6_rhino_subd_logo.3dm", 0, "6 objects have no render mesh"}}) {
    SCOPED_TRACE(c.file);
    HostSandbox sandbox;
    sandbox.RememberRenderer();
    const HostRun run = sandbox.Run({"--doc", (kSamples / c.file).string(), kStart, kStop});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.Calls("AddMesh").size(), static_cast<size_t>(c.meshes));
    if (*c.notice == '\0')
      EXPECT_EQ(run.out.find("no render mesh"), std::string::npos) << run.out;
    else
      EXPECT_NE(run.out.find(c.notice), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("OrvexConverter: Success\n"), std::string::npos) << run.out;
  }
}

TEST(ModelFileTest, UnreadableFilesEndTheHostWithTheirReason) {
  HostSandbox sandbox;
  const std::string teacup = test_support::ReadFile(kSamples / "v5_teacup.3dm");
  struct Case {
    const char* name;
    std::string bytes;  // empty name for a folder
    const char* reason;
  };
  for (const Case& c :
       {Case{"empty.3dm", "", "not a .3dm file"},
        Case{"text.3dm", "This is not a model.\n", "not a .3dm file"},
        Case{"truncated.3dm", teacup.substr(0, 3000), "damaged or incomplete"},
        Case{"newer.3dm", "3D Geometry File Format       80" + teacup.substr(32, 4000),
             "a version 8 file; this host reads .3dm files up to version 7"},
        Case{"folder.3dm", std::string(), "not a file"}}) {
    SCOPED_TRACE(c.name);
    const fs::path file = sandbox.Root() / c.name;
    if (std::string(c.name) == "folder.3dm")
      fs::create_directories(file);
    else
      test_support::WriteFile(file, c.bytes);
    const HostRun run = sandbox.Run({"--doc", file.string(), kStart});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(file.string() + ": " + c.reason), std::string::npos) << run.err;
  }
}
