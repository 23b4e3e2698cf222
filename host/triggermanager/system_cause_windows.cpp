#include "platform/win32.h"
#include "triggermanager/system_cause.h"

std::string_view SystemCause(int systemError) noexcept {
    switch (static_cast<DWORD>(systemError)) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return "the disk is full";
        case ERROR_FILE_TOO_LARGE:
            return "the file has reached the largest size allowed";
        case ERROR_WRITE_PROTECT:
            return "the file system is read-only";
        case ERROR_ACCESS_DENIED:
            return "permission denied";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return "the file is in use by another process";
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
            // The store checks that the directory exists before it opens the file, so a path
            // not found beyond that runs through something that is no directory.
            return "a part of the path is not a directory";
        case ERROR_INVALID_NAME:
            return "the path is not a valid file name";
        case ERROR_FILE_NOT_FOUND:
            return "the file cannot be created in its directory";
        default:
            return "";
    }
}
