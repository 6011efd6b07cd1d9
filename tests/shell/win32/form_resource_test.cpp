// The form reader, and the form TFORM1 as drelbin.exe stores it.
#include "shell/win32/form_resource.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/windows_api.h"
#include "repair/exceptions.h"
#include "repair/messages.h"

namespace drelbin {
namespace {

// TFORM1 from this program's own resources: the test links the same
// compiled resources as drelbin.exe.
std::string_view StoredForm() {
  const HRSRC found = FindResourceA(nullptr, "TFORM1", MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!found) return {};
  return {static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
          SizeofResource(nullptr, found)};
}

TEST(StoredForm, HoldsTheDialogsTextsInCodePage932) {
  const FormObject form = ParseForm(StoredForm());
  ASSERT_EQ(form.children.size(), 2u);
  const FormObject& label = form.children[0];
  const FormObject& button = form.children[1];
  EXPECT_EQ(form.Text("Caption"), messages::kDialogCaption);
  EXPECT_EQ(form.Text("Font.Name"), messages::kDialogFontFace);
  EXPECT_EQ(label.Text("Caption"), messages::kDialogNote);
  EXPECT_EQ(button.Text("Caption"), messages::kRepairButton);
}

TEST(StoredForm, LaysTheDialogOutInPixelsAt96Dpi) {
  const FormObject form = ParseForm(StoredForm());
  ASSERT_EQ(form.children.size(), 2u);
  const FormObject& label = form.children[0];
  const FormObject& button = form.children[1];
  EXPECT_EQ(form.name + ":" + form.class_name, "Form1:TForm1");
  EXPECT_EQ(label.name + ":" + label.class_name, "Label1:TLabel");
  EXPECT_EQ(button.name + ":" + button.class_name, "Button1:TButton");
  EXPECT_EQ(form.Integer("Left"), 214);
  EXPECT_EQ(form.Integer("Top"), 161);
  EXPECT_EQ(form.Integer("ClientWidth"), 229);
  EXPECT_EQ(form.Integer("ClientHeight"), 98);
  EXPECT_EQ(form.Integer("Font.Height"), -12);
  EXPECT_EQ(form.Integer("PixelsPerInch"), 96);
  EXPECT_EQ(form.Integer("TextHeight"), 12);
  EXPECT_EQ(label.Integer("Left"), 36);
  EXPECT_EQ(label.Integer("Top"), 12);
  EXPECT_EQ(button.Integer("Left"), 36);
  EXPECT_EQ(button.Integer("Top"), 36);
  EXPECT_EQ(button.Integer("Width"), 151);
  EXPECT_EQ(button.Integer("Height"), 25);
  EXPECT_EQ(button.Text("OnClick"), "Button1Click");
}

TEST(ParseForm, ReadsNestedObjectsAndQuotedTexts) {
  const FormObject form = ParseForm(
      "object F: TF\r\n"
      "  Caption = 'it''s'\r\n"
      "\n"
      "  Empty = ''\n"
      "  Style = []\n"
      "  object B: TB\n"
      "    Caption = '\x83\x5C= x'\n"  // ソ: its second byte is a backslash
      "  end\n"
      "end\n");
  EXPECT_EQ(form.Text("Caption"), "it's");
  EXPECT_EQ(form.Text("Empty"), "");
  EXPECT_EQ(form.Text("Style"), "[]");
  ASSERT_EQ(form.children.size(), 1u);
  EXPECT_EQ(form.children[0].Text("Caption"), "\x83\x5C= x");
}

TEST(ParseForm, RejectsMalformedText) {
  const char* const kMalformed[] = {
      "",
      "end\n",
      "Left = 1\n",
      "object F: TF\n",
      "object F\nend\n",
      "object F: TF\n  Left\nend\n",
      "object F: TF\n  Left =\nend\n",
      "object F: TF\n  Caption = 'open\nend\n",
      "object F: TF\n  Caption = 'a'b'\nend\n",
      "object F: TF\nend\nobject G: TG\nend\n",
  };
  for (const char* text : kMalformed) {
    EXPECT_THROW(ParseForm(text), Exception) << text;
  }
}

TEST(FormObject, ThrowsForMissingOrUnexpectedValues) {
  const FormObject form = ParseForm("object F: TF\n  Left = 1x\n  BorderStyle = bsSizeable\nend\n");
  EXPECT_THROW(form.Text("Top"), Exception);
  EXPECT_THROW(form.Integer("Left"), Exception);
  EXPECT_THROW(form.Require("BorderStyle", "bsDialog"), Exception);
  EXPECT_NO_THROW(form.Require("BorderStyle", "bsSizeable"));
}

}  // namespace
}  // namespace drelbin
