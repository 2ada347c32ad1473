// The launcher's exit codes: what its caller learns about the run.
#pragma once

namespace vantrel {

enum class ExitCode : int {
  started = 0,         // the Engine was started (or the user closed the progress window)
  engine_missing = 1,  // vantrel-engine.exe is missing, or the system refused to start it
  not_begun = 1,       // the Engine's command line would be too long for Windows, or the overlay too large
                       // to read: nothing was done
  blocked = 42,        // a failed discovery blocked the start ("on-proxy-fail": "block")
};

}  // namespace vantrel
