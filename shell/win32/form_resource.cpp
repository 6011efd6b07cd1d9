#include "shell/win32/form_resource.h"

#include <charconv>

#include "repair/exceptions.h"

namespace drelbin {
namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

[[noreturn]] void Fail(int line, std::string_view what) {
  throw Exception("Error reading form, line " + std::to_string(line) + ": " + AnsiString(what));
}

// A value as written; a quoted text loses its quotes.  The quote byte 0x27
// never occurs inside a double-byte character of code page 932, so the text
// can be read byte by byte.
AnsiString ParseValue(std::string_view value, int line) {
  if (value.empty()) Fail(line, "value missing");
  if (value.front() != '\'') return AnsiString(value);
  AnsiString text;
  for (std::size_t i = 1; i < value.size(); ++i) {
    if (value[i] != '\'') {
      text += value[i];
    } else if (i + 1 < value.size() && value[i + 1] == '\'') {
      text += '\'';
      ++i;
    } else if (i + 1 == value.size()) {
      return text;
    } else {
      break;
    }
  }
  Fail(line, "bad quoted text");
}

}  // namespace

const AnsiString& FormObject::Text(std::string_view property) const {
  const auto found = properties.find(property);
  if (found == properties.end()) {
    throw Exception("Property " + name + "." + AnsiString(property) + " missing");
  }
  return found->second;
}

int FormObject::Integer(std::string_view property) const {
  const AnsiString& text = Text(property);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    throw Exception("Property " + name + "." + AnsiString(property) + " is not an integer");
  }
  return value;
}

void FormObject::Require(std::string_view property, std::string_view expected) const {
  if (Text(property) != expected) {
    throw Exception("Property " + name + "." + AnsiString(property) + " must be " +
                    AnsiString(expected));
  }
}

FormObject ParseForm(std::string_view text) {
  std::vector<FormObject> open;  // the objects begun and not yet ended
  FormObject root;
  bool have_root = false;
  int line_number = 0;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++line_number;
    if (line.empty()) continue;

    if (line.starts_with("object ")) {
      if (have_root) Fail(line_number, "text after the form");
      const std::string_view header = line.substr(7);
      const auto colon = header.find(':');
      if (colon == std::string_view::npos) Fail(line_number, "object without a class");
      FormObject object;
      object.name = Trim(header.substr(0, colon));
      object.class_name = Trim(header.substr(colon + 1));
      if (object.name.empty() || object.class_name.empty()) Fail(line_number, "bad object");
      open.push_back(std::move(object));
    } else if (line == "end") {
      if (open.empty()) Fail(line_number, "end without object");
      FormObject object = std::move(open.back());
      open.pop_back();
      if (open.empty()) {
        root = std::move(object);
        have_root = true;
      } else {
        open.back().children.push_back(std::move(object));
      }
    } else {
      if (open.empty()) Fail(line_number, "property outside an object");
      const auto equals = line.find('=');
      if (equals == std::string_view::npos) Fail(line_number, "not a property");
      const AnsiString name(Trim(line.substr(0, equals)));
      if (name.empty()) Fail(line_number, "property without a name");
      open.back().properties[name] = ParseValue(Trim(line.substr(equals + 1)), line_number);
    }
  }
  if (!open.empty()) Fail(line_number, "object not ended");
  if (!have_root) Fail(line_number, "no form");
  return root;
}

}  // namespace drelbin
