#pragma once

namespace tw::cli {

// tidewright links PAGE...: argv holds the arguments after the verb. Returns the exit status.
int RunLinks(int argc, char** argv);

}  // namespace tw::cli
