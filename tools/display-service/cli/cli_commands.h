// The vareko-display sub-commands, one function each, and the table that
// maps command names to them. Each returns the process exit status.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace vareko::displayservice {

using Arguments = std::vector<std::string>;

struct CliCommand {
    const char* name;
    const char* usage;
    int (*run)(const Arguments& args);
};

int RunServe(const Arguments& args);
int RunView(const Arguments& args);
int RunSnapshot(const Arguments& args);
int RunPress(const Arguments& args);
int RunRelease(const Arguments& args);
int RunPlug(const Arguments& args);
int RunUnplug(const Arguments& args);
int RunStatus(const Arguments& args);
int RunUrl(const Arguments& args);
int RunRotateSecret(const Arguments& args);
// Prints each of `urls` on its own line after `lead` and, with `qr`, as a
// QR code below it; a reason no code can be drawn is said once, on stderr.
void PrintViewerUrls(std::span<const std::string> urls, bool qr, const char* lead = "");
int RunRegister(const Arguments& args);

}  // namespace vareko::displayservice
