#include "app/frm_lupe.hpp"

#include <string>

#include "app/pictures.hpp"
#include "platform/runtime/conversions.hpp"

// The window as it is made, before any handler runs. Places and sizes are
// stored in twips and become pixels through the run's twips-per-pixel figure.
namespace lupe {
namespace {

constexpr Color kBlackText = 0x00000000;

const Font kSansBold{"MS Sans Serif", 8.25f, 700};
const Font kVerdana{"Verdana", 8.25f, 400};
const Font kArialBold{"Arial", 9.0f, 700};

struct Twips {
  double perPixel;
  float operator()(double twips) const { return toSingle(twips / perPixel); }
};

void place(PlacedControl& c, Twips px, double left, double top, double width, double height,
           int16_t tabIndex) {
  c.Left.initialize(px(left));
  c.Top.initialize(px(top));
  c.Width.initialize(px(width));
  c.Height.initialize(px(height));
  c.TabIndex.initialize(tabIndex);
}

void button(CommandButton& b, Twips px, const char* caption, Color back, double left, double top,
            double width, double height, int16_t tabIndex) {
  place(b, px, left, top, width, height, tabIndex);
  b.Caption.initialize(caption);
  b.BackColor.initialize(back);
  b.Style.initialize(1);
  b.Font.initialize(kSansBold);
}

void line(Line& l, Twips px, double x1, double y1, double x2, double y2) {
  l.X1.initialize(px(x1));
  l.Y1.initialize(px(y1));
  l.X2.initialize(px(x2));
  l.Y2.initialize(px(y2));
}

void slider(Slider& s, int32_t min, int32_t max, int32_t value, int32_t small, int32_t large,
            int32_t ticks) {
  s.Min.initialize(min);
  s.Max.initialize(max);
  s.Value.initialize(value);
  s.SmallChange.initialize(small);
  s.LargeChange.initialize(large);
  s.TickFrequency.initialize(ticks);
}

}  // namespace

void frmLupe::applyDefinition() {
  const Twips px{twipsPerPixel()};

  Caption.initialize("Tevka - Lupe");
  ClientWidth.initialize(px(8670));
  ClientHeight.initialize(px(3975));
  Icon = &windowIcon();
  LinkTopic = "Form1";

  Frame1.Caption.initialize("Einstellung:");
  place(Frame1, px, 720, 0, 6495, 1695, 2);
  Frame1.Visible.initialize(false);
  Frame1.Font.initialize(kSansBold);

  button(Command6, px, "Exit", kRed, 0, 0, 732, 372, 1);
  button(Command8, px, "Einstellung", kWhite, 720, 0, 1572, 372, 15);
  button(Command4, px, "Schwarz", kGrey, 2640, 120, 1092, 372, 7);
  button(Command1, px, "Rot", kRed, 3840, 120, 852, 372, 5);
  button(Command3, px, "Pfeil", kWhite, 5520, 120, 852, 852, 9);
  button(Command2, px, "Fett", kWhite, 120, 1200, 852, 372, 8);
  button(Command5, px, "Striche - - -", kWhite, 960, 1200, 1452, 372, 6);
  button(Command7, px, "Einstellungs Fenster schließen", kWhite, 2520, 1200, 3852, 375, 3);
  Command3.Picture = &arrowPicture();

  Label1.Caption.initialize("Vergrößerung: 3");
  Label1.ForeColor.initialize(kBlackText);
  place(Label1, px, 120, 600, 2412, 252, 13);
  Label1.Font.initialize(kVerdana);
  Label2.Caption.initialize("Abtastrate: 25");
  Label2.ForeColor.initialize(kBlackText);
  place(Label2, px, 2760, 2280, 2415, 255, 14);
  Label2.Visible.initialize(false);
  Label2.Font.initialize(kVerdana);
  Label3.Caption.initialize("Kreuz Einstellung:");
  place(Label3, px, 120, 960, 1695, 255, 12);
  Label3.Font.initialize(kSansBold);

  Check1.Caption.initialize("Lupe immer im Vordergrund");
  place(Check1, px, 2520, 960, 3375, 252, 4);
  Check1.Value.initialize(1);
  Check1.Font.initialize(kArialBold);

  place(Slider1, px, 120, 240, 2412, 312, 11);
  slider(Slider1, 1, 10, 3, 1, 5, 1);
  place(Slider2, px, 2640, 1920, 2415, 315, 10);
  slider(Slider2, 1, 50, 1, 1, 10, 5);
  Slider2.Visible.initialize(false);

  line(Line1, px, 6000, 0, 6000, 7350);
  Line1.BorderColor.initialize(kGreen);
  line(Line2, px, 0, 3750, 12000, 3750);
  Line2.BorderColor.initialize(kGreen);
  line(Line3, px, 120, 840, 5280, 840);
  line(Line4, px, 120, 1800, 5040, 1800);

  place(Picture1, px, 0, 0, 9840, 6000, 0);
  Picture1.ScaleMode.initialize(3);
  Picture1.BackColor.initialize(kWhite);
  Picture1.fitSurface();

  Image1.Picture = &arrowPicture();
  place(Image1, px, 4800, 3000, 480, 480, -1);
  Image1.Stretch.initialize(false);

  Timer1.Interval.initialize(25);
  Timer1.Enabled.initialize(true);
}

}  // namespace lupe
