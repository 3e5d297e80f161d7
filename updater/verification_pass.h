#pragma once

// The second pass of the install phase: the list's version is recorded only when every
// listed file is in place with the listed digest; otherwise the next run tries again.

#include <tinyxml2.h>

#include "updater/updater_context.h"

namespace tessal::updater {

// True when the version may be written: no "version" element says the installed version
// is already current, and every item with "md5" and "local" has its file in place with
// that digest. An item whose "local" lies outside the program folder never verifies.
bool VerifyInstalledFiles(const UpdaterContext& context, const tinyxml2::XMLElement& root);

}  // namespace tessal::updater
