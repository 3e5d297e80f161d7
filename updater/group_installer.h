#pragma once

// The first pass of the install phase for one group: each staged file takes its
// "truename" inside "./New/", and once its digest matches the list it replaces the
// installed file in one rename, so the installation never lacks the file.

#include <tinyxml2.h>

#include "updater/updater_context.h"

namespace tessal::updater {

// `priority_counter` holds the "priority" of the last item handled (0 at the start of
// the phase); an item whose priority is not the next one stops its group.
void InstallGroup(const UpdaterContext& context, const tinyxml2::XMLElement& group,
                  int& priority_counter);

}  // namespace tessal::updater
