// The main window's menu, its about box and its message box.
#include <string>

#include "utils/log/textconv.h"
#include "views/gtk/gtk_main_window.h"
#include "views/gtk/gtk_pictures.h"
#include "views/vorlininstallerdlg.h"

namespace {

// String 101, the about item of the window menu, with its access key.
constexpr wchar_t kAboutMenuText[] = L"关于 TavoInstaller(&A)...";
constexpr char kAboutTitle[] = "关于 TavoInstaller";
constexpr char kAboutBoxText[] = "TavoInstaller，版本 1.0";
constexpr char kMessageBoxTitle[] = "TavoInstaller";

// A Windows menu text's "&" access key as GTK's "_" mnemonic ("&&" is a
// plain "&"; a plain "_" is doubled).
std::string GtkMnemonic(const std::wstring& text) {
    std::string out;
    const std::string utf8 = Utils::WideToUtf8(text);
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '&' && i + 1 < utf8.size() && utf8[i + 1] == '&') {
            out += '&';
            ++i;
        } else if (utf8[i] == '&') {
            out += '_';
        } else if (utf8[i] == '_') {
            out += "__";
        } else {
            out += utf8[i];
        }
    }
    return out;
}

GtkWidget* AddItem(GtkWidget* menu, const std::string& label, GCallback onActivate, gpointer data) {
    GtkWidget* item = gtk_menu_item_new_with_mnemonic(label.c_str());
    g_signal_connect(item, "activate", onActivate, data);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    return item;
}

}  // namespace

void CGtkMainWindow::BuildWindowMenu() {
    // The system menu's part that this window uses: minimise, close, and
    // the about item after a separator.
    m_menu = gtk_menu_new();
    gtk_menu_attach_to_widget(GTK_MENU(m_menu), m_window, nullptr);
    AddItem(m_menu, "最小化(_N)", G_CALLBACK(+[](GtkMenuItem*, gpointer self) {
                static_cast<CGtkMainWindow*>(self)->MinimizeWindow();
            }),
            this);
    AddItem(m_menu, "关闭(_C)", G_CALLBACK(+[](GtkMenuItem*, gpointer data) {
                auto* self = static_cast<CGtkMainWindow*>(data);
                if (self->m_dlg != nullptr) {
                    self->m_dlg->PreTranslateMessage(FilterEvent::kSysCommand, kSysCommandClose);
                }
            }),
            this);
    const std::string about = GtkMnemonic(kAboutMenuText);
    if (!about.empty()) {
        gtk_menu_shell_append(GTK_MENU_SHELL(m_menu), gtk_separator_menu_item_new());
        AddItem(m_menu, about, G_CALLBACK(+[](GtkMenuItem*, gpointer self) {
                    static_cast<CGtkMainWindow*>(self)->ShowAbout();
                }),
                this);
    }
    gtk_widget_show_all(m_menu);
}

void CGtkMainWindow::PopUpWindowMenu(const GdkEvent* event) {
    if (event != nullptr && event->type == GDK_BUTTON_PRESS) {
        gtk_menu_popup_at_pointer(GTK_MENU(m_menu), event);
    } else {
        gtk_menu_popup_at_widget(GTK_MENU(m_menu), m_window, GDK_GRAVITY_NORTH_WEST,
                                 GDK_GRAVITY_NORTH_WEST, event);
    }
}

void CGtkMainWindow::MessageBox(const std::wstring& text) {
    GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
                                            GTK_BUTTONS_OK, "%s", Utils::WideToUtf8(text).c_str());
    gtk_window_set_title(GTK_WINDOW(box), kMessageBoxTitle);
    gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
    if (m_icon != nullptr) {
        gtk_window_set_icon(GTK_WINDOW(box), m_icon);
    }
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
}

void CGtkMainWindow::ShowAbout() {
    GtkWidget* dialog = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(dialog), kAboutTitle);
    gtk_window_set_transient_for(GTK_WINDOW(dialog), GTK_WINDOW(m_window));
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER_ON_PARENT);
    if (m_icon != nullptr) {
        gtk_window_set_icon(GTK_WINDOW(dialog), m_icon);
    }
    GtkWidget* fixed = gtk_fixed_new();
    const DialogRect size = MapDialogRect({0, 0, kAboutDialogWidth, kAboutDialogHeight}, m_base);
    gtk_widget_set_size_request(fixed, size.width, size.height);

    if (m_icon != nullptr) {
        // The icon at the system's icon size, 32 pixels.
        GdkPixbuf* small = gdk_pixbuf_scale_simple(m_icon, 32, 32, GDK_INTERP_BILINEAR);
        GtkWidget* image = gtk_image_new_from_pixbuf(small);
        g_object_unref(small);
        const DialogRect r = MapDialogRect(kAboutIcon, m_base);
        gtk_fixed_put(GTK_FIXED(fixed), image, r.x, r.y);
    }
    GtkWidget* text = gtk_label_new(kAboutBoxText);
    gtk_label_set_xalign(GTK_LABEL(text), 0.0f);
    const DialogRect t = MapDialogRect(kAboutText, m_base);
    gtk_widget_set_size_request(text, t.width, t.height);
    gtk_fixed_put(GTK_FIXED(fixed), text, t.x, t.y);

    GtkWidget* ok = gtk_button_new_with_label("确定");
    const DialogRect o = MapDialogRect(kAboutOk, m_base);
    gtk_widget_set_size_request(ok, o.width, o.height);
    gtk_fixed_put(GTK_FIXED(fixed), ok, o.x, o.y);
    g_signal_connect_swapped(
        ok, "clicked", G_CALLBACK(+[](GtkDialog* d) { gtk_dialog_response(d, GTK_RESPONSE_OK); }),
        dialog);

    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), fixed, FALSE,
                       FALSE, 0);
    gtk_widget_show_all(fixed);
    gtk_widget_grab_focus(ok);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}
