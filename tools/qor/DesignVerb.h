#pragma once

namespace qor::tool {

// qor design FILE.qfm [--new] [--save-as OUT.qfm] [--png DIR]
int RunDesign(int argc, char** argv);

} // namespace qor::tool
