#pragma once

#include <string>
#include <vector>

#include "documents/xml_document.h"

namespace nx {

// A template author's view of an open template: where it disagrees with itself, found with the
// program's own readers and conversions so that the verdicts match what the program does.

enum class Severity { Error, Warning };

struct Finding {
  int row = 0;       // grid row of the entry (from 1); 0 for the template as a whole
  std::string name;  // the entry's node name; "" for the template as a whole
  Severity severity = Severity::Error;
  std::string text;  // what the program will do, and how to fix it
};

// Every finding of `vorlage`, which must be loaded: template-wide ones first, then by row.
// Problems inside the entries, even those that stop the program's commands, become findings;
// this never throws an access-rule error.
std::vector<Finding> checkTemplate(const XmlDocument& vorlage);

const char* severityName(Severity severity);  // "error" or "warning"

}  // namespace nx
