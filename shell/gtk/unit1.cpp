#include "shell/gtk/unit1.h"

#include <memory>
#include <string>

#include "platform/posix/cp932.h"
#include "repair/messages.h"

namespace drelbin {
namespace {

// Where the window's top-left corner goes on the screen; not scaled.
constexpr int kLeft = 214;
constexpr int kTop = 161;

// The layout's pixels are for a font whose "0" is this many pixels high.
constexpr int kDesignTextHeight = 12;

struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, ObjectUnref>;

void OnButton1Click(GtkButton*, gpointer form) { static_cast<TForm1*>(form)->Button1Click(); }

// The layout's style with the dialog's font face put in, as a CSS string.
std::string DialogStyle() {
  GBytes* bytes =
      g_resources_lookup_data("/drelbin/form1.css", G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
  if (bytes == nullptr) throw Exception("the dialog's style is missing");
  gsize size = 0;
  const auto* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
  std::string css(data, size);
  g_bytes_unref(bytes);

  std::string face = "\"";
  for (const char c : cp932::ToUtf8ForDisplay(messages::kDialogFontFace)) {
    if (c == '"' || c == '\\') face += '\\';
    face += c;
  }
  face += '"';
  const std::string placeholder = "DIALOG_FONT_FACE";
  for (auto at = css.find(placeholder); at != std::string::npos;
       at = css.find(placeholder, at + face.size())) {
    css.replace(at, placeholder.size(), face);
  }
  return css;
}

void ApplyDialogStyle(GtkWidget* window) {
  GObjectPtr<GtkCssProvider> provider(gtk_css_provider_new());
  const std::string css = DialogStyle();
  gtk_css_provider_load_from_data(provider.get(), css.data(), static_cast<gssize>(css.size()),
                                  nullptr);
  gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(window),
                                            GTK_STYLE_PROVIDER(provider.get()),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

// The height in pixels of the text "0" in the widget's font: the font's line
// height (ascent and descent together), as a text extent counts it.  A
// layout's own extents round ascent and descent apart and would say 13 for a
// face of 12.
int TextHeight(GtkWidget* widget) {
  PangoContext* context = gtk_widget_get_pango_context(widget);
  PangoFontMetrics* metrics = pango_context_get_metrics(
      context, pango_context_get_font_description(context), pango_context_get_language(context));
  const int height = pango_font_metrics_get_height(metrics);
  pango_font_metrics_unref(metrics);
  return (height + PANGO_SCALE / 2) / PANGO_SCALE;
}

// Scales the client area's size and its children's positions and sizes by
// text_height against the design's height, rounding to the nearest pixel.
void ScaleLayout(GtkFixed* client_area, int text_height) {
  if (text_height <= 0 || text_height == kDesignTextHeight) return;
  const auto scale = [text_height](int pixels) {
    return (pixels * text_height + kDesignTextHeight / 2) / kDesignTextHeight;
  };
  const auto scale_size = [&scale](GtkWidget* widget) {
    int width = -1;
    int height = -1;
    gtk_widget_get_size_request(widget, &width, &height);
    gtk_widget_set_size_request(widget, width > 0 ? scale(width) : width,
                                height > 0 ? scale(height) : height);
  };
  scale_size(GTK_WIDGET(client_area));
  GList* children = gtk_container_get_children(GTK_CONTAINER(client_area));
  for (GList* item = children; item != nullptr; item = item->next) {
    auto* child = static_cast<GtkWidget*>(item->data);
    int x = 0;
    int y = 0;
    gtk_container_child_get(GTK_CONTAINER(client_area), child, "x", &x, "y", &y, nullptr);
    gtk_fixed_move(client_area, child, scale(x), scale(y));
    scale_size(child);
  }
  g_list_free(children);
}

}  // namespace

TForm1::TForm1(TApplication& application) : application_(application) {
  GObjectPtr<GtkBuilder> builder(gtk_builder_new());
  gtk_builder_add_callback_symbol(builder.get(), "Button1Click", G_CALLBACK(OnButton1Click));
  GError* error = nullptr;
  if (!gtk_builder_add_from_resource(builder.get(), "/drelbin/form1.ui", &error)) {
    const std::string message = error->message;
    g_error_free(error);
    throw Exception(cp932::FromUtf8(message));
  }
  window_ = GTK_WINDOW(gtk_builder_get_object(builder.get(), "Form1"));
  Button1 = GTK_BUTTON(gtk_builder_get_object(builder.get(), "Button1"));
  Label1 = GTK_LABEL(gtk_builder_get_object(builder.get(), "Label1"));
  auto* client_area = GTK_FIXED(gtk_builder_get_object(builder.get(), "ClientArea"));
  g_object_ref(window_);  // ours until the destructor, also once it is closed
  gtk_builder_connect_signals(builder.get(), this);

  gtk_window_set_title(window_, cp932::ToUtf8ForDisplay(messages::kDialogCaption).c_str());
  gtk_label_set_text(Label1, cp932::ToUtf8ForDisplay(messages::kDialogNote).c_str());
  gtk_button_set_label(Button1, cp932::ToUtf8ForDisplay(messages::kRepairButton).c_str());

  ApplyDialogStyle(GTK_WIDGET(window_));
  ScaleLayout(client_area, TextHeight(GTK_WIDGET(Label1)));

  gtk_window_move(window_, kLeft, kTop);
  gtk_widget_grab_focus(GTK_WIDGET(Button1));
}

TForm1::~TForm1() {
  gtk_widget_destroy(GTK_WIDGET(window_));
  g_object_unref(window_);
}

void TForm1::Button1Click() noexcept {
  try {
    RunRepairCommand(*this);
  } catch (const Exception& error) {
    application_.ShowException(error);
  } catch (...) {
    application_.ShowException(Exception(""));
  }
}

void TForm1::ShowResultMessage(const AnsiString& text) { application_.MessageBox(text, ""); }

// Closes the window as its close button would; the loop ends once this
// click has been handled.
void TForm1::CloseDialog() { gtk_window_close(window_); }

}  // namespace drelbin
