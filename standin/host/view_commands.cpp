// The host commands on the active view: NoView, Orbit, Zoom, Projection; and
// the view a session starts with.
#include <cmath>
#include <iostream>
#include <optional>

#include "host_command_arguments.h"
#include "host_session.h"
#include "standin/host/sdk_values.h"

ON_Viewport DefaultHostViewport() {
  ON_Viewport vp;
  vp.SetProjection(ON::view_projection::perspective_view);
  vp.SetCameraLocation(ON_3dPoint(1000, -1000, 1000));
  vp.SetCameraDirection(ON_3dVector(-1, 1, -1));
  vp.SetCameraUp(ON_3dVector(0, 0, 1));
  const double halfWidth = std::tan(ON_RadiansFromDegrees(25.0));
  vp.SetFrustum(-halfWidth, halfWidth, -0.75 * halfWidth, 0.75 * halfWidth, 1.0, 10000.0);
  vp.SetTargetPoint(ON_3dPoint(0, 0, 0));
  return vp;
}

bool HostSession::ChangeView(const std::string& name, const Arguments& args) {
  CRhinoView* view = RhinoApp().ActiveView();
  if (name == "NoView") {
    RhinoApp().StandinSetActiveView(nullptr);
    return true;
  }
  if (args.size() != 1) {
    std::cerr << name << " needs one argument" << std::endl;
    return false;
  }
  if (!view) {
    // A view command brings a view back: the last one, or a new one.
    view = RhinoApp().StandinLastView();
    if (!view) {
      view = &RhinoApp().StandinCreateView();
      view->ActiveViewport().SetVP(DefaultHostViewport(), TRUE);
    }
  }
  ON_Viewport vp = view->ActiveViewport().VP();
  const std::string& arg = args[0];
  if (name == "Projection") {
    if (arg == "perspective") {
      // A two-point view lets its camera turn freely again.
      vp.SetProjection(ON::view_projection::perspective_view);
      vp.SetCameraUpLock(false);
      vp.UnlockFrustumSymmetry();
    } else if (arg == "parallel") {
      vp.SetProjection(ON::view_projection::parallel_view);
    } else if (arg == "twopoint") {
      if (!host::MakeTwoPoint(vp)) {
        std::cerr << "Projection: " << host::kNoTwoPointView << std::endl;
        return false;
      }
    } else {
      std::cerr << "Projection takes perspective, parallel or twopoint" << std::endl;
      return false;
    }
  } else {
    const std::optional<double> number = host::ParseNumber(arg);
    if (!number) {
      std::cerr << name << " takes a number, not '" << arg << "'" << std::endl;
      return false;
    }
    const double value = *number;
    if (name == "Orbit") {
      // About the target, or the middle of the frustum when no target is set.
      ON_3dPoint pivot = vp.TargetPoint();
      if (!pivot.IsValid()) pivot = vp.FrustumCenterPoint(vp.TargetDistance(true));
      if (!pivot.IsValid()) {
        std::cerr << "Orbit: the active view has no valid camera" << std::endl;
        return false;
      }
      ON_Xform turn;
      turn.Rotation(ON_RadiansFromDegrees(value), ON_3dVector::ZAxis, pivot);
      vp.Transform(turn);
    } else {  // Zoom: a factor above 1 narrows the frustum
      if (!(value > 0)) {
        std::cerr << "Zoom takes a positive factor" << std::endl;
        return false;
      }
      double l, r, b, t, n, f;
      vp.GetFrustum(&l, &r, &b, &t, &n, &f);
      vp.SetFrustum(l / value, r / value, b / value, t / value, n, f);
    }
  }
  view->ActiveViewport().SetVP(vp, TRUE);
  RhinoApp().StandinSetActiveView(view);
  return true;
}
