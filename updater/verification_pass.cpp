#include "updater/verification_pass.h"

#include "common/files/md5.h"
#include "updater/update_list.h"

namespace tessal::updater {
namespace {

bool ItemVerifies(const UpdaterContext& context, const tinyxml2::XMLElement& item) {
    const std::string md5 = Attribute(item, "md5");
    const std::string local = Attribute(item, "local");
    if (md5.empty() || local.empty()) {
        return true;
    }
    return context.Confined(local, local) && SameDigest(FileMd5(local), md5);
}

bool GroupVerifies(const UpdaterContext& context, const tinyxml2::XMLElement& group) {
    bool verified = true;
    ForEachItem(group, [&](const tinyxml2::XMLElement& item) {
        verified = ItemVerifies(context, item);
        return verified;
    });
    return verified;
}

}  // namespace

bool VerifyInstalledFiles(const UpdaterContext& context, const tinyxml2::XMLElement& root) {
    for (const auto* element = root.FirstChildElement(); element != nullptr;
         element = element->NextSiblingElement()) {
        if (IsVersionElement(*element) &&
            context.installed_version >= DecimalValue(Attribute(*element, "id"))) {
            return false;
        }
        if (IsGroupElement(*element) && !GroupVerifies(context, *element)) {
            return false;
        }
    }
    return true;
}

}  // namespace tessal::updater
