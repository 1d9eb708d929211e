// A lenient JSON reader: objects become dictionaries, arrays ordered collections, numbers decimals. Faults do
// not stop the caller; they are collected as lines in ErrorText and the reader keeps what it built so far.
#pragma once

#include "platform/vb/Object.h"

#include <QString>
#include <memory>

namespace JSON {

// The dictionary or collection of the top-level value; nullptr when the text starts with neither "{" nor "[".
std::shared_ptr<vb::Object> Parse(const QString& text);
// The fault lines of the last Parse, each ending in a carriage return and line feed ("Invalid JSON" alone
// when there was no object or array to read).
const QString& ErrorText();

} // namespace JSON
