// The header file refresh: after a string table went back into
// "fe\local.viv", its header is cut out of the archive again, written as the
// header file "fe\local.bh" and put into "preload\fmisc.viv" as "local.bh".
#pragma once

#include <string>

#include "catalog/catalog.h"
#include "common/file.h"

namespace gs {

// The header of an archive: its first n bytes, n being bytes 14 and 15 read
// as one big-endian 16-bit signed number. Raises error 6 when byte 14 is
// 0x80 or above, and error 7777 naming the archive when n is 0 or the
// archive is shorter than n bytes.
Bytes ReadArchiveHeader(const std::string& archivePath);

// Refreshes the header file and its copy in the preload archive. The header
// is read and checked before anything is changed; with makeBackup, an
// existing header file is first copied to the same name followed by ".bak"
// (a failed copy stops the refresh). The new header file replaces the old one
// whole. Tool failures raise (see InsertEntry).
void RefreshHeaderFile(const CatalogPaths& paths, bool makeBackup);

}  // namespace gs
