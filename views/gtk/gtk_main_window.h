// The main window on GTK 3: an undecorated, fixed-size #FBFBFB window laid
// out from the template in dialog units (dialog_units.h), with the status
// line, the gradient progress bar, the three picture buttons, the error
// text and the Help and Close buttons. It is the MainView of the window's
// logic (CVorlinInstallerDlg) and hands every user action to it: the
// buttons, the keys through the message filter, the window manager's close
// request, the window menu and the timers. It can be dragged by its
// background.
//
// Window (UI) thread only. Created hidden; Show() shows it.
#pragma once

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <string>

#include "views/gtk/dialog_units.h"
#include "views/gtk/gtk_image_button.h"
#include "views/gtk/gtk_progress_bar.h"
#include "views/main_view.h"

class CVorlinInstallerDlg;

class CGtkMainWindow : public MainView {
  public:
    // The window and its controls, hidden: title, window menu and icon set
    // (the first steps of the window's initialisation).
    CGtkMainWindow();
    ~CGtkMainWindow() override;
    CGtkMainWindow(const CGtkMainWindow&) = delete;
    CGtkMainWindow& operator=(const CGtkMainWindow&) = delete;

    // Background, fonts (scaled by `dpiScale`, Utils::GetDpiScale) and
    // pictures, then the progress bar's colours, range, position and step.
    void PrepareControls(double dpiScale);
    // The logic that receives the user's actions; set before Show().
    void Attach(CVorlinInstallerDlg& dlg) { m_dlg = &dlg; }
    void Show();

    // A modal message box over the (maybe not yet shown) window with `text`
    // and an OK button; returns once the user dismissed it.
    void MessageBox(const std::wstring& text);
    // The about box, modal.
    void ShowAbout();

    GtkWidget* Window() const { return m_window; }
    // The pixel rectangle of a control (or of the whole window for 0).
    DialogRect ControlRect(int id) const;

    // MainView.
    void ShowControl(int id, bool show) override;
    void SetControlText(int id, const std::wstring& text) override;
    std::wstring GetControlText(int id) const override;
    void HideWindow() override;
    void MinimizeWindow() override;
    uintptr_t StartTimer(uintptr_t id, uint32_t ms) override;
    void KillTimer(uintptr_t id) override;
    void StartAnimation() override;
    void StopAnimation() override;
    void SetProgressPos(int percent) override;
    void OpenUrl(const std::wstring& url) override;
    void EndProcess(int code) override;

  private:
    struct TimerSource;

    GtkWidget* Control(int id) const;
    void Place(int id, GtkWidget* widget);
    void BuildWindowMenu();
    void PopUpWindowMenu(const GdkEvent* event);
    void SystemClose();

    static gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean OnDelete(GtkWidget* widget, GdkEvent* event, gpointer self);
    static gboolean OnTimer(gpointer source);

    GtkWidget* m_window = nullptr;
    GtkWidget* m_layout = nullptr;
    GtkWidget* m_menu = nullptr;  // the window menu
    GdkPixbuf* m_icon = nullptr;  // icon 128, or null
    DialogBaseUnits m_base;
    CGtkImageButton m_minimize, m_closeGlyph, m_errorPicture;
    CGtkProgressBar m_progress;
    GtkWidget* m_status = nullptr;
    GtkWidget* m_errorText = nullptr;
    GtkWidget* m_help = nullptr;
    GtkWidget* m_close = nullptr;
    std::map<int, std::wstring> m_texts;
    std::map<uintptr_t, std::unique_ptr<TimerSource>> m_timers;
    CVorlinInstallerDlg* m_dlg = nullptr;
};
