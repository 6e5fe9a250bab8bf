#include "archive/archive_lock.h"

#include "common/error.h"

namespace gs {

void RaiseArchiveInUse(const std::string& archivePath, std::chrono::milliseconds patience) {
  Raise(rt::PermissionDenied,
        "The archive \"" + archivePath +
            "\" is in use by another run of the archive tool, which did not let go of it "
            "within " +
            std::to_string(patience.count() / 1000) + " seconds; nothing was changed.");
}

}  // namespace gs
