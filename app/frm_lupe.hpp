#pragma once

#include <cstdint>

#include "platform/controls/controls.hpp"
#include "platform/controls/form.hpp"
#include "platform/desktop/desktop.hpp"

namespace lupe {

// The magnifier window with its 22 controls, declared in definition order
// (containers first; earlier controls lie above later ones), and its event
// handlers. Each handler is defined in the folder of the subsystem it serves.
class frmLupe : public Form {
 public:
  frmLupe(ControlHost& host, Desktop& desktop);

  // The settings panel and what it holds.
  Frame Frame1{*this, "Frame1"};
  CommandButton Command5{Frame1, "Command5"};
  CommandButton Command3{Frame1, "Command3"};
  CommandButton Command2{Frame1, "Command2"};
  CommandButton Command4{Frame1, "Command4"};
  CommandButton Command1{Frame1, "Command1"};
  CommandButton Command7{Frame1, "Command7"};
  Slider Slider2{Frame1, "Slider2"};
  Slider Slider1{Frame1, "Slider1"};
  CheckBox Check1{Frame1, "Check1"};
  Label Label2{Frame1, "Label2"};
  Label Label1{Frame1, "Label1"};
  Line Line3{Frame1, "Line3"};
  Line Line4{Frame1, "Line4"};
  Label Label3{Frame1, "Label3"};
  // Directly in the window.
  CommandButton Command8{*this, "Command8"};
  CommandButton Command6{*this, "Command6"};
  lupe::Timer Timer1{*this, "Timer1"};
  PictureBox Picture1{*this, "Picture1"};
  // The view's crosshair and arrow marker.
  lupe::Image Image1{Picture1, "Image1"};
  lupe::Line Line2{Picture1, "Line2"};
  lupe::Line Line1{Picture1, "Line1"};

  // app/startup_shutdown.cpp
  void Form_Load();                   // once, after the window is made
  void Form_Unload(int16_t& Cancel);  // whenever the window closes
  void Command6_Click();              // "Exit"
  // app/layout.cpp
  void Form_Resize();  // first showing, every size change, restoring
  // app/window_handling.cpp
  void Check1_Click();  // "Lupe immer im Vordergrund"
  void Picture1_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
  void Picture1_DblClick();
  void Form_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
  void Form_MouseUp(int16_t Button, int16_t Shift, float X, float Y);
  // magnify/sampling_tick.cpp
  void Timer1_Timer();  // every Timer1.Interval ms
  // magnify/sliders.cpp
  void Slider1_Scroll();  // zoom thumb dragged
  void Slider1_Change();  // zoom position changed
  void Slider2_Scroll();  // rate thumb dragged (never: it is hidden)
  void Slider2_Change();  // rate position changed, by code
  // overlay/settings_panel.cpp
  void Command7_Click();  // "Einstellungs Fenster schließen"
  void Command8_Click();  // "Einstellung"
  // overlay/crosshair_style.cpp
  void Command1_Click();  // "Rot" / "Grün"
  void Command2_Click();  // "Fett" / "Dünn"
  void Command4_Click();  // "Schwarz" / "Weiss"
  void Command5_Click();  // dashed / solid
  // overlay/arrow_marker.cpp
  void Command3_Click();  // "Pfeil" / "Pfeil X"

  Handle desktopWindow() const { return lDesktopWnd; }
  Handle desktopDC() const { return lDesktopDC; }

 private:
  void applyDefinition();            // app/window_definition.cpp
  void takeRateAndDesktop();         // app/startup_shutdown.cpp
  void MoveWindow(int32_t lHandle);  // app/window_handling.cpp
  // overlay/crosshair_style.cpp
  void showCrosshair();
  void colourCrosshair(CommandButton& button, Color lines, const char* caption, Color face,
                       Color labels);
  void bindHandlers();

  Desktop& desktop_;
  int32_t lDesktopWnd = 0;
  int32_t lDesktopDC = 0;
};

}  // namespace lupe
