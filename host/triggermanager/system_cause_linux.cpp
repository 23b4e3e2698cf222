#include <cerrno>

#include "triggermanager/system_cause.h"

std::string_view SystemCause(int systemError) noexcept {
    switch (systemError) {
        case ENOSPC:
        case EDQUOT:
            return "the disk is full";
        case EFBIG:
            return "the file has reached the largest size allowed";
        case EROFS:
            return "the file system is read-only";
        case EACCES:
        case EPERM:
            return "permission denied";
        case ENOTDIR:
            return "a part of the path is not a directory";
        case EISDIR:
            return "the path names a directory";
        case ENOENT:
            // The store checks that the directory exists before it opens the file.
            return "the file cannot be created in its directory";
        default:
            return "";
    }
}
