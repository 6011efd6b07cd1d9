#include "shell/gtk/application.h"

#include <cstdio>

#include "platform/posix/cp932.h"
#include "repair/error_box_text.h"

namespace drelbin {

bool TApplication::Initialize(int* argc, char*** argv) {
  // The dialog draws nothing with OpenGL.  Left on, GDK loads the GL driver
  // as it opens the display (on most machines a software one, LLVM and all),
  // which costs more than building the whole dialog.  A value the user set
  // stays.
  g_setenv("GDK_GL", "disable", FALSE);
  if (!gtk_init_check(argc, argv)) {
    const char* display = g_getenv("DISPLAY");
    std::fprintf(stderr,
                 "drelbin: no display to show the dialog on (%s); run it on a desktop, "
                 "or under Xvfb\n",
                 display == nullptr ? "DISPLAY is not set" : "cannot open DISPLAY");
    return false;
  }
  // The icon is an ornament: without an image loader for it the program
  // still does its job.
  if (GdkPixbuf* icon = gdk_pixbuf_new_from_resource("/drelbin/mainicon.xpm", nullptr)) {
    gtk_window_set_default_icon(icon);
    g_object_unref(icon);
  }
  return true;
}

void TApplication::SetTitle(const AnsiString& title) {
  title_ = title;
  const std::string name = cp932::ToUtf8ForDisplay(title);
  // WM_CLASS is "drelbin", "drelbin": the instance from the program name,
  // the class as given here instead of GDK's capitalised one.
  g_set_prgname(name.c_str());
  gdk_set_program_class(name.c_str());
  g_set_application_name(name.c_str());
}

void TApplication::SetMainForm(GtkWindow* form) {
  main_form_ = form;
  g_signal_connect(form, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
}

void TApplication::Run() {
  gtk_widget_show(GTK_WIDGET(main_form_));
  gtk_main();
}

GtkWidget* TApplication::NewMessageBox(const AnsiString& text, const AnsiString& caption,
                                       GtkMessageType type) {
  constexpr auto flags =
      static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT);
  GtkWidget* box = gtk_message_dialog_new(main_form_, flags, type, GTK_BUTTONS_OK, "%s",
                                          cp932::ToUtf8ForDisplay(text).c_str());
  gtk_window_set_title(GTK_WINDOW(box), cp932::ToUtf8ForDisplay(caption).c_str());
  return box;
}

void TApplication::RunMessageBox(GtkWidget* box) {
  // gtk_dialog_run makes the box modal and keeps the main form from taking
  // input until the box is dismissed, however that is done.
  gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
}

void TApplication::MessageBox(const AnsiString& text, const AnsiString& caption) {
  RunMessageBox(NewMessageBox(text, caption, GTK_MESSAGE_OTHER));
}

void TApplication::ShowException(const Exception& error) {
  GtkWidget* box = NewMessageBox(ErrorBoxText(error.Message()), title_, GTK_MESSAGE_ERROR);
  // GTK 3 message boxes draw no icon of their own: put the error icon
  // before the text, where a message box has it.
  GtkWidget* text_area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(box));
  GtkWidget* row = gtk_widget_get_parent(text_area);
  GtkWidget* icon = gtk_image_new_from_icon_name("dialog-error", GTK_ICON_SIZE_DIALOG);
  gtk_widget_set_valign(icon, GTK_ALIGN_START);
  gtk_box_pack_start(GTK_BOX(row), icon, FALSE, FALSE, 0);
  gtk_box_reorder_child(GTK_BOX(row), icon, 0);
  gtk_widget_show(icon);
  RunMessageBox(box);
}

}  // namespace drelbin
