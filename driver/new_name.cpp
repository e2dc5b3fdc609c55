#include "driver/new_name.h"

std::string newExtensionName(const std::string& path, const std::string& newExt) {
    // The rule works inside the file name: reaching into the directory part
    // would write the result outside the input's directory.
    std::size_t nameStart = path.find_last_of("\\/:");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    std::size_t lastKept = path.find_last_not_of('.');
    if (lastKept == std::string::npos || lastKept < nameStart) return path + "." + newExt;
    std::size_t dot = path.rfind('.', lastKept);
    if (dot == std::string::npos || dot < nameStart) {
        // No extension: the name without trailing dots, then the new one.
        return path.substr(0, lastKept + 1) + "." + newExt;
    }
    return path.substr(0, dot + 1) + newExt;
}
