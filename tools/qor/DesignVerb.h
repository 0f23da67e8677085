#pragma once

namespace qor::tool {

// qor design FILE.qfm [--new] [--save-as OUT.qfm] [--png DIR] [--variables OUT.qor|OUT.pdf]
int RunDesign(int argc, char** argv);

} // namespace qor::tool
