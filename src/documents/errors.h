#pragma once

#include <stdexcept>
#include <string>

namespace nx {

// Every error of the core carries the exact text the user is shown. A command ends where its error
// arises; the front ends catch it at their edge (the default error box, or stderr and status 2).
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "''%s'' ist kein gültiger Integer-Wert": a text the integer text conversion rejects.
class ConversionError : public Error {
 public:
  using Error::Error;
};

// A file that cannot be read or is not well-formed XML: reason, "Zeile: " line, source excerpt.
class XmlLoadError : public Error {
 public:
  using Error::Error;
};

// An element read as text that holds anything but one text node, or a node that cannot hold the
// element asked of it.
class ElementAccessError : public Error {
 public:
  using Error::Error;
};

// "Listenindex überschreitet das Maximum (%d)": a child position outside the list.
class ListIndexError : public Error {
 public:
  using Error::Error;
};

// A file that cannot be created, written or replaced.
class FileError : public Error {
 public:
  using Error::Error;
};

// The text as the default error box shows it: a full stop is appended when the last character's
// code is greater than that of "." (so "Wert" gains one, "...)." and "" do not).
std::string withFullStop(std::string text);

}  // namespace nx
