#include "views/gtk/gtk_main_window.h"

#include <gdk/gdkkeysyms.h>

#include "utils/log/textconv.h"
#include "views/gtk/gtk_fonts.h"
#include "views/gtk/gtk_pictures.h"
#include "views/png_resources.h"
#include "views/process_end.h"
#include "views/vorlininstallerdlg.h"
#include "views/window_fonts.h"

namespace {

constexpr char kWindowTitle[] = "Tavo浏览器安装程序";

// The window's look: its background, the static texts in the default text
// colour, picture buttons without any frame or state look, and flat push
// buttons. Sizes come from the layout alone (no theme minimum sizes).
constexpr char kStyleSheet[] = R"css(
window.tavo-main { background-color: #FBFBFB; }
window.tavo-main label.tavo-text { color: #000000; }
button.tavo-image, button.tavo-image:hover, button.tavo-image:active,
button.tavo-image:focus {
    min-width: 0; min-height: 0; padding: 0; margin: 0; border: none;
    background: none; box-shadow: none; outline-style: none;
}
button.tavo-flat {
    min-width: 0; min-height: 0; padding: 0; margin: 0; border-radius: 0;
    border: 1px solid #ADADAD; background-image: none; background-color: #E1E1E1;
    box-shadow: none; text-shadow: none; color: #000000; outline-offset: -3px;
}
button.tavo-flat:hover { background-color: #E1E1E1; }
button.tavo-flat:active { background-color: #CCCCCC; }
)css";

void InstallStyleSheet() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kStyleSheet, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
}

void AddClass(GtkWidget* widget, const char* name) {
    gtk_style_context_add_class(gtk_widget_get_style_context(widget), name);
}

GtkWidget* NewStaticText() {
    GtkWidget* label = gtk_label_new("");
    AddClass(label, "tavo-text");
    // Wrapped at the width of its rectangle and centred line by line, from
    // the top of the rectangle.
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
    gtk_label_set_xalign(GTK_LABEL(label), 0.5f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    return label;
}

GtkWidget* NewPushButton(const char* text) {
    GtkWidget* button = gtk_button_new_with_label(text);
    AddClass(button, "tavo-flat");
    return button;
}

}  // namespace

struct CGtkMainWindow::TimerSource {
    CGtkMainWindow* window;
    uintptr_t id;
    guint source;
};

CGtkMainWindow::CGtkMainWindow() {
    InstallStyleSheet();
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    AddClass(m_window, "tavo-main");
    gtk_window_set_decorated(GTK_WINDOW(m_window), FALSE);
    gtk_window_set_resizable(GTK_WINDOW(m_window), FALSE);
    gtk_window_set_position(GTK_WINDOW(m_window), GTK_WIN_POS_CENTER);
    gtk_window_set_title(GTK_WINDOW(m_window), kWindowTitle);
    // A layout rather than a GtkFixed: its size is the template's alone and
    // never grows with what a wrapping text would like.
    m_layout = gtk_layout_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(m_window), m_layout);

    m_base = MeasureDialogBaseUnits(m_window);
    const DialogRect size = ControlRect(0);
    gtk_widget_set_size_request(m_layout, size.width, size.height);

    for (CGtkImageButton* button : {&m_minimize, &m_closeGlyph, &m_errorPicture}) {
        AddClass(button->Widget(), "tavo-image");
    }
    m_status = NewStaticText();
    m_errorText = NewStaticText();
    m_help = NewPushButton("帮助");
    m_close = NewPushButton("关闭");
    Place(kCtrlMinimize, m_minimize.Widget());
    Place(kCtrlCloseGlyph, m_closeGlyph.Widget());
    Place(kCtrlStatus, m_status);
    Place(kCtrlProgress, m_progress.Widget());
    Place(kCtrlErrorPicture, m_errorPicture.Widget());
    Place(kCtrlErrorText, m_errorText);
    Place(kCtrlHelp, m_help);
    Place(kCtrlClose, m_close);
    gtk_widget_show(m_layout);

    const auto onClick = [](GtkWidget* widget, gpointer data) {
        auto* self = static_cast<CGtkMainWindow*>(data);
        if (self->m_dlg == nullptr) {
            return;
        }
        if (widget == self->m_closeGlyph.Widget()) {
            self->m_dlg->OnBnClickedButtonExit();
        } else if (widget == self->m_minimize.Widget()) {
            self->m_dlg->OnBnClickedButtonMini();
        } else if (widget == self->m_close) {
            self->m_dlg->OnBnClickedButtonClose();
        } else if (widget == self->m_help) {
            self->m_dlg->OnBnClickedButtonHelp();
        }
    };
    for (GtkWidget* button : {m_minimize.Widget(), m_closeGlyph.Widget(), m_help, m_close}) {
        g_signal_connect(button, "clicked", G_CALLBACK(+onClick), this);
    }

    gtk_widget_add_events(m_window, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
    g_signal_connect(m_window, "button-press-event", G_CALLBACK(OnButtonPress), this);
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(OnKeyPress), this);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(OnDelete), this);

    BuildWindowMenu();
    if (LoadPngResource(kIconApp, m_icon)) {
        gtk_window_set_icon(GTK_WINDOW(m_window), m_icon);
    }
}

CGtkMainWindow::~CGtkMainWindow() {
    for (auto& timer : m_timers) {
        g_source_remove(timer.second->source);
    }
    if (m_icon != nullptr) {
        g_object_unref(m_icon);
    }
    gtk_widget_destroy(m_window);
}

DialogRect CGtkMainWindow::ControlRect(int id) const {
    if (id == 0) {
        return MapDialogRect({0, 0, kMainDialogWidth, kMainDialogHeight}, m_base);
    }
    return MapDialogRect(MainDialogControl(id), m_base);
}

void CGtkMainWindow::Place(int id, GtkWidget* widget) {
    const DialogRect r = ControlRect(id);
    gtk_widget_set_size_request(widget, r.width, r.height);
    gtk_layout_put(GTK_LAYOUT(m_layout), widget, r.x, r.y);
    gtk_widget_show(widget);
}

void CGtkMainWindow::PrepareControls(double dpiScale) {
    // The background comes with the style sheet.
    const WindowFontHeights heights = FontHeightsForScale(dpiScale);
    const int deviceScale = gtk_widget_get_scale_factor(m_window);
    SetLabelFont(gtk_bin_get_child(GTK_BIN(m_help)), heights.button, deviceScale);
    SetLabelFont(gtk_bin_get_child(GTK_BIN(m_close)), heights.button, deviceScale);
    SetLabelFont(m_errorText, heights.error, deviceScale);
    SetLabelFont(m_status, heights.status, deviceScale);

    const struct {
        int picture;
        CGtkImageButton& button;
    } pictures[] = {
        {kPngMinimize, m_minimize}, {kPngClose, m_closeGlyph}, {kPngErrorPicture, m_errorPicture}};
    for (const auto& p : pictures) {
        GdkPixbuf* picture = nullptr;
        if (LoadPngResource(p.picture, picture)) {
            p.button.SetPicture(picture);
            g_object_unref(picture);
        }
    }

    SetUpInstallerBar(m_progress.Model());
    gtk_widget_queue_draw(m_progress.Widget());
}

void CGtkMainWindow::Show() {
    gtk_widget_show(m_window);
}

GtkWidget* CGtkMainWindow::Control(int id) const {
    switch (id) {
        case kCtrlMinimize:
            return m_minimize.Widget();
        case kCtrlCloseGlyph:
            return m_closeGlyph.Widget();
        case kCtrlProgress:
            return m_progress.Widget();
        case kCtrlStatus:
            return m_status;
        case kCtrlErrorText:
            return m_errorText;
        case kCtrlHelp:
            return m_help;
        case kCtrlClose:
            return m_close;
        case kCtrlErrorPicture:
            return m_errorPicture.Widget();
        default:
            return nullptr;
    }
}

void CGtkMainWindow::ShowControl(int id, bool show) {
    if (GtkWidget* widget = Control(id)) {
        gtk_widget_set_visible(widget, show);
    }
}

void CGtkMainWindow::SetControlText(int id, const std::wstring& text) {
    GtkWidget* widget = Control(id);
    if (widget == nullptr || !GTK_IS_LABEL(widget)) {
        return;
    }
    m_texts[id] = text;
    gtk_label_set_text(GTK_LABEL(widget), Utils::WideToUtf8(text).c_str());
}

std::wstring CGtkMainWindow::GetControlText(int id) const {
    const auto it = m_texts.find(id);
    return it == m_texts.end() ? std::wstring() : it->second;
}

void CGtkMainWindow::HideWindow() {
    gtk_widget_hide(m_window);
    // The exit sequence may block this thread right after (the final
    // report): the window must vanish now, not at the next idle moment.
    gdk_display_flush(gtk_widget_get_display(m_window));
}

void CGtkMainWindow::MinimizeWindow() {
    gtk_window_iconify(GTK_WINDOW(m_window));
}

uintptr_t CGtkMainWindow::StartTimer(uintptr_t id, uint32_t ms) {
    if (id == 0) {
        return 0;
    }
    KillTimer(id);  // a timer started again restarts, as SetTimer does
    auto timer = std::make_unique<TimerSource>(TimerSource{this, id, 0});
    timer->source = g_timeout_add(ms, OnTimer, timer.get());
    m_timers[id] = std::move(timer);
    return id;
}

void CGtkMainWindow::KillTimer(uintptr_t id) {
    const auto it = m_timers.find(id);
    if (it != m_timers.end()) {
        g_source_remove(it->second->source);
        m_timers.erase(it);
    }
}

gboolean CGtkMainWindow::OnTimer(gpointer data) {
    // The handler may kill this very timer: nothing of it is read afterwards.
    const auto* timer = static_cast<TimerSource*>(data);
    CGtkMainWindow* self = timer->window;
    const uintptr_t id = timer->id;
    if (self->m_dlg != nullptr) {
        self->m_dlg->OnTimer(id);
    }
    return G_SOURCE_CONTINUE;
}

void CGtkMainWindow::StartAnimation() {
    m_progress.StartRunner();
}

void CGtkMainWindow::StopAnimation() {
    m_progress.StopRunner();
}

void CGtkMainWindow::SetProgressPos(int percent) {
    m_progress.Send(BarMsg::kSetPos, static_cast<uintptr_t>(percent), 0);
}

void CGtkMainWindow::OpenUrl(const std::wstring& url) {
    GError* error = nullptr;
    if (!gtk_show_uri_on_window(GTK_WINDOW(m_window), Utils::WideToUtf8(url).c_str(),
                                GDK_CURRENT_TIME, &error)) {
        g_clear_error(&error);  // silent, as the window promises
    }
}

void CGtkMainWindow::EndProcess(int code) {
    EndProcessNow(code);
}

gboolean CGtkMainWindow::OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
    auto* self = static_cast<CGtkMainWindow*>(data);
    if (event->type != GDK_BUTTON_PRESS) {
        return FALSE;
    }
    if (event->button == GDK_BUTTON_PRIMARY) {
        // The background as the caption: the window follows the mouse.
        gtk_window_begin_move_drag(GTK_WINDOW(self->m_window), static_cast<gint>(event->button),
                                   static_cast<gint>(event->x_root),
                                   static_cast<gint>(event->y_root), event->time);
        return TRUE;
    }
    if (event->button == GDK_BUTTON_SECONDARY) {
        self->PopUpWindowMenu(reinterpret_cast<const GdkEvent*>(event));
        return TRUE;
    }
    return FALSE;
}

gboolean CGtkMainWindow::OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
    auto* self = static_cast<CGtkMainWindow*>(data);
    const bool alt = (event->state & GDK_MOD1_MASK) != 0;
    if (alt && event->keyval == GDK_KEY_F4) {
        // Without a window manager nobody else turns Alt+F4 into the
        // system's close request.
        self->SystemClose();
        return TRUE;
    }
    if (alt && event->keyval == GDK_KEY_space) {
        self->PopUpWindowMenu(reinterpret_cast<const GdkEvent*>(event));
        return TRUE;
    }
    uintptr_t key = 0;
    switch (event->keyval) {
        case GDK_KEY_Escape:
            key = kKeyEscape;
            break;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter:
            key = kKeyEnter;
            break;
        default:
            return FALSE;
    }
    return self->m_dlg != nullptr && self->m_dlg->PreTranslateMessage(FilterEvent::kKeyDown, key);
}

gboolean CGtkMainWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    static_cast<CGtkMainWindow*>(data)->SystemClose();
    return TRUE;  // the window is never destroyed by a close request
}

void CGtkMainWindow::SystemClose() {
    // The window manager's close (Alt+F4, the taskbar) arrives at the dialog
    // as its cancel command.
    if (m_dlg != nullptr) {
        m_dlg->PreTranslateMessage(FilterEvent::kCommand, kCommandCancel);
    }
}
