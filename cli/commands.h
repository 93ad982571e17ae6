// The three ridloe-cli commands and what they share: exit statuses, the usage
// text and the one-line failure report.
#pragma once

#include <string>
#include <vector>

#include "core/document/gps_document.h"

namespace ridloe::cli {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

extern const char kUsageText[];

// Prints the complaint, if any, and the usage text to standard error; kUsage.
int Usage(const std::string& complaint = {});
// "FILE: waypoint record 4 at byte 1234: comment has no terminating NUL"
void ReportLoadFailure(const std::string& file, const GpsDocument& document);

int List(const std::vector<std::string>& args);
int Info(const std::vector<std::string>& args);
int Convert(const std::vector<std::string>& args);

}  // namespace ridloe::cli
