#include "app/frm_lupe.hpp"

#include "platform/runtime/statements.hpp"

// Each toggle's caption is its only state: it names the style the next click
// applies. A click compares it exactly with one text, takes one of two rows
// of statements, and always shows both lines again at the end.
namespace lupe {

void frmLupe::showCrosshair() {
  step([&] { Line1.Visible = true; });
  step([&] { Line2.Visible = true; });
}

// One row of a colour toggle: the lines, the button's caption and face,
// then the two value labels.
void frmLupe::colourCrosshair(CommandButton& button, Color lines, const char* caption, Color face,
                              Color labels) {
  step([&] { Line1.BorderColor = lines; });
  step([&] { Line2.BorderColor = lines; });
  step([&] { button.Caption = std::string(caption); });
  step([&] { button.BackColor = face; });
  step([&] { Label1.ForeColor = labels; });
  step([&] { Label2.ForeColor = labels; });
}

void frmLupe::Command1_Click() {
  if (Command1.Caption.get() == "Rot") {
    colourCrosshair(Command1, kRed, "Grün", kGreen, kRed);
  } else {
    colourCrosshair(Command1, kGreen, "Rot", kRed, kGreen);
  }
  showCrosshair();
}

void frmLupe::Command2_Click() {
  const auto width = [&](int16_t pixels, const char* caption) {
    step([&] { Line1.BorderWidth = pixels; });
    step([&] { Line2.BorderWidth = pixels; });
    step([&] { Command2.Caption = std::string(caption); });
  };
  if (Command2.Caption.get() == "Fett") {
    width(3, "Dünn");
  } else {
    width(1, "Fett");
  }
  showCrosshair();
}

void frmLupe::Command4_Click() {
  if (Command4.Caption.get() == "Schwarz") {
    colourCrosshair(Command4, kWindowTextColor, "Weiss", kWhite, kWindowTextColor);
  } else {
    colourCrosshair(Command4, kWhite, "Schwarz", kGrey, kWhite);
  }
  showCrosshair();
}

// The first click from the start caption "Striche - - -" takes the second
// row: the lines stay solid and the caption becomes "Strich ---".
void frmLupe::Command5_Click() {
  const auto style = [&](int16_t borderStyle, const char* caption) {
    step([&] { Line1.BorderStyle = borderStyle; });
    step([&] { Line2.BorderStyle = borderStyle; });
    step([&] { Command5.Caption = std::string(caption); });
  };
  if (Command5.Caption.get() == "Strich ---") {
    style(2, "Linie ___");
  } else {
    style(1, "Strich ---");
  }
  showCrosshair();
}

}  // namespace lupe
