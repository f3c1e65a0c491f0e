// The phrases that say why a path failed the trust check; shared by both
// platforms' builds.
#include "platform/win32/trusted_path.h"

namespace vareko::platform {
namespace {

struct TrustText {
    PathTrust trust;
    const char* text;
};

constexpr TrustText kTrustTexts[] = {
    {PathTrust::Trusted, ""},
    {PathTrust::NotAbsolute, "is not an absolute path"},
    {PathTrust::Missing, "does not exist"},
    {PathTrust::NotAFile, "is not a regular file"},
    {PathTrust::ForeignOwner, "is owned by another user"},
    {PathTrust::WritableByOthers, "may be written by group or others, so another user could replace it"},
    {PathTrust::Unreadable, "cannot be examined"},
};

const char* DescribePathTrust(PathTrust trust) {
    for (const TrustText& row : kTrustTexts) {
        if (row.trust == trust) {
            return row.text;
        }
    }
    return "";
}

}  // namespace

std::string ExplainPathCheck(const PathCheck& check, const std::string& checked) {
    const std::string subject = check.where == checked ? std::string("it") : check.where;
    return subject + " " + DescribePathTrust(check.trust);
}

}  // namespace vareko::platform
