// Standard output of the companion (standard_output_posix.cpp,
// standard_output_win32.cpp).
#pragma once

namespace gs::cli {

// Makes standard output pass bytes unchanged: the Windows C runtime would
// otherwise write every 0x0A of a table as 0x0D 0x0A. Call before writing.
void UseBinaryStandardOutput();

}  // namespace gs::cli
