// A Tcl interpreter with the host's hooks, commands and the built-in Tcl
// library, without Tk or the main script.
#ifndef TRENDEL_HOST_TESTS_HOST_FIXTURE_H
#define TRENDEL_HOST_TESTS_HOST_FIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "et.h"
#include "setup.h"

namespace trendel::host {

class HostInterp : public testing::Test {
 protected:
  void SetUp() override {
    static bool found = false;
    if (!found) {
      Tcl_FindExecutable("trendel_host_tests");
      found = true;
    }
    interp_ = Tcl_CreateInterp();
    PrepareInterp(interp_);
    ASSERT_EQ(Tcl_Init(interp_), TCL_OK) << Tcl_GetStringResult(interp_);
    FinishInterp(interp_);
  }

  void TearDown() override {
    Et_Interp = nullptr;
    Tcl_DeleteInterp(interp_);
  }

  // Evaluates `script` at global level; returns the result, or "ERROR: " and
  // the message.
  std::string Eval(const std::string& script) {
    const int code = Tcl_EvalEx(interp_, script.c_str(), -1, TCL_EVAL_GLOBAL);
    const std::string result = Tcl_GetStringResult(interp_);
    return code == TCL_ERROR ? "ERROR: " + result : result;
  }

  Tcl_Interp* interp_ = nullptr;
};

}  // namespace trendel::host

#endif
