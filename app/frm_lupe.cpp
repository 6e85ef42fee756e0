#include "app/frm_lupe.hpp"

namespace lupe {

frmLupe::frmLupe(ControlHost& host, Desktop& desktop) : Form(host, "frmLupe"), desktop_(desktop) {
  applyDefinition();
  bindHandlers();
}

// Which handler serves which event: the only place they are tied together.
void frmLupe::bindHandlers() {
  Load.bind([this] { Form_Load(); });
  Unload.bind([this](int16_t& Cancel) { Form_Unload(Cancel); });
  Resize.bind([this] { Form_Resize(); });
  Command6.Click.bind([this] { Command6_Click(); });
  Timer1.Tick.bind([this] { Timer1_Timer(); });
  Slider1.Scroll.bind([this] { Slider1_Scroll(); });
  Slider1.Change.bind([this] { Slider1_Change(); });
  Slider2.Scroll.bind([this] { Slider2_Scroll(); });
  Slider2.Change.bind([this] { Slider2_Change(); });
  Command7.Click.bind([this] { Command7_Click(); });
  Command8.Click.bind([this] { Command8_Click(); });
  Check1.Click.bind([this] { Check1_Click(); });
  Command1.Click.bind([this] { Command1_Click(); });
  Command2.Click.bind([this] { Command2_Click(); });
  Command3.Click.bind([this] { Command3_Click(); });
  Command4.Click.bind([this] { Command4_Click(); });
  Command5.Click.bind([this] { Command5_Click(); });
  Picture1.MouseDown.bind(
      [this](int16_t b, int16_t s, float x, float y) { Picture1_MouseDown(b, s, x, y); });
  Picture1.DblClick.bind([this] { Picture1_DblClick(); });
  MouseDown.bind([this](int16_t b, int16_t s, float x, float y) { Form_MouseDown(b, s, x, y); });
  MouseUp.bind([this](int16_t b, int16_t s, float x, float y) { Form_MouseUp(b, s, x, y); });
}

}  // namespace lupe
