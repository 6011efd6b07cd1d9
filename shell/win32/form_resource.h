// Form resources: a dialog's layout as data.
//
// A form resource is text in code page 932, one statement a line:
//
//   object Name: Class      starts an object: the form, then its controls
//     Property = value      an integer, an identifier, [] or a 'quoted text'
//   end                     ends the innermost open object
//
// A quoted text doubles its own quote characters ('it''s').  Indentation and
// blank lines do not matter; any other line is an error.  Sizes and positions
// are pixels at the pixel density that the form states (PixelsPerInch).
#pragma once

#include <functional>
#include <map>
#include <string_view>
#include <vector>

#include "repair/ansi_text.h"

namespace drelbin {

struct FormObject {
  AnsiString name;
  AnsiString class_name;
  // Values as written, quoted texts without their quotes.
  std::map<AnsiString, AnsiString, std::less<>> properties;
  std::vector<FormObject> children;

  // The value of `property`; throws Exception when the object has none.
  const AnsiString& Text(std::string_view property) const;
  // The value of `property` as an integer; throws Exception when it is
  // missing or not an integer.
  int Integer(std::string_view property) const;
  // Throws Exception unless `property` is `expected`: for properties whose
  // other values the program does not support.
  void Require(std::string_view property, std::string_view expected) const;
};

// The one top-level object of `text`.  Throws Exception, naming the line,
// when the text is not a well-formed form.
FormObject ParseForm(std::string_view text);

}  // namespace drelbin
