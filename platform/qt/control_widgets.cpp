#include "platform/qt/control_widgets.hpp"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include "platform/qt/panel_widget.hpp"
#include "platform/qt/qt_backend.hpp"
#include "platform/qt/qt_convert.hpp"
#include "platform/qt/view_widget.hpp"

namespace lupe::qt {
namespace {

// A graphical button: its face in its own colour, with a raised edge.
QString buttonStyle(const CommandButton& button, const QPalette& palette) {
  const QColor face = toQColor(button.BackColor, palette);
  return QStringLiteral(
             "QToolButton { background-color: %1; color: %2; border-width: 1px;"
             " border-style: solid; border-color: #ffffff #404040 #404040 #ffffff;"
             " padding: 0px; }"
             "QToolButton:pressed { background-color: %3; border-color: #404040 #ffffff"
             " #ffffff #404040; }"
             "QToolButton:focus { border-color: #000000; }")
      .arg(face.name(), palette.color(QPalette::ButtonText).name(), face.darker(115).name());
}

QWidget* makeButton(CommandButton& button, QWidget* parent, QtBackend& backend) {
  auto* widget = new QToolButton(parent);
  widget->setFocusPolicy(Qt::StrongFocus);
  widget->setToolButtonStyle(button.Picture ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonTextOnly);
  if (button.Picture) {
    widget->setIcon(QIcon(QPixmap::fromImage(toQImage(*button.Picture))));
    widget->setIconSize(QSize(button.Picture->width, button.Picture->height));
  }
  QObject::connect(widget, &QToolButton::clicked, widget,
                   [&button, &backend] { backend.deliver([&] { button.Click.raise(); }); });
  return widget;
}

QWidget* makeCheckBox(CheckBox& box, QWidget* parent, QtBackend& backend) {
  auto* widget = new QCheckBox(parent);
  QObject::connect(widget, &QCheckBox::clicked, widget, [&box, &backend, widget] {
    backend.deliver([&] { box.userClicked(widget->checkState() == Qt::Checked ? 1 : 0); });
  });
  return widget;
}

// A drag raises Scroll on every move and Change once when the thumb is let
// go; a key or page step, or a click on the track, raises Change at once.
QWidget* makeSlider(Slider& slider, QWidget* parent, QtBackend& backend) {
  auto* widget = new QSlider(Qt::Horizontal, parent);
  widget->setTickPosition(QSlider::TicksBelow);
  widget->setFocusPolicy(Qt::StrongFocus);
  QObject::connect(widget, &QSlider::sliderMoved, widget, [&slider, &backend](int position) {
    backend.deliver([&] { slider.userScrolled(position); });
  });
  QObject::connect(widget, &QSlider::sliderReleased, widget, [&slider, &backend, widget] {
    backend.deliver([&] { slider.userChanged(widget->value()); });
  });
  QObject::connect(widget, &QSlider::valueChanged, widget, [&slider, &backend, widget](int value) {
    if (!widget->isSliderDown()) backend.deliver([&] { slider.userChanged(value); });
  });
  return widget;
}

}  // namespace

QWidget* makeWidget(Control& control, QWidget* parent, QtBackend& backend) {
  switch (control.kind()) {
    case ControlKind::CommandButton:
      return makeButton(static_cast<CommandButton&>(control), parent, backend);
    case ControlKind::CheckBox:
      return makeCheckBox(static_cast<CheckBox&>(control), parent, backend);
    case ControlKind::Slider:
      return makeSlider(static_cast<Slider&>(control), parent, backend);
    case ControlKind::Label: {
      auto* label = new QLabel(parent);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ControlKind::Frame:
      return new PanelWidget(static_cast<Frame&>(control), parent);
    case ControlKind::PictureBox:
      return new ViewWidget(static_cast<PictureBox&>(control), parent, backend);
    case ControlKind::Line:
    case ControlKind::Image:
    case ControlKind::Timer:
    case ControlKind::Form:
      return nullptr;
  }
  return nullptr;
}

void showProperty(const Control& control, QWidget* widget, PropertyId id) {
  if (!widget) return;
  if (id == PropertyId::Visible) {
    widget->setVisible(control.Visible);
    return;
  }
  const auto& placed = static_cast<const PlacedControl&>(control);
  switch (id) {
    case PropertyId::Left:
    case PropertyId::Top:
    case PropertyId::Width:
    case PropertyId::Height: {
      const QRect r = nativeRect(placed);
      widget->setGeometry(
          toLogical(r.x(), r.y(), r.width(), r.height(), widget->devicePixelRatioF()));
      return;
    }
    default:
      break;
  }
  switch (control.kind()) {
    case ControlKind::CommandButton: {
      const auto& button = static_cast<const CommandButton&>(control);
      auto* tool = static_cast<QToolButton*>(widget);
      if (id == PropertyId::Caption) tool->setText(QString::fromStdString(button.Caption));
      if (id == PropertyId::Font) tool->setFont(toQFont(button.Font));
      if (id == PropertyId::BackColor) tool->setStyleSheet(buttonStyle(button, tool->palette()));
      return;
    }
    case ControlKind::Label: {
      const auto& label = static_cast<const Label&>(control);
      auto* qlabel = static_cast<QLabel*>(widget);
      if (id == PropertyId::Caption) qlabel->setText(QString::fromStdString(label.Caption));
      if (id == PropertyId::Font) qlabel->setFont(toQFont(label.Font));
      if (id == PropertyId::ForeColor) {
        QPalette palette = qlabel->palette();
        palette.setColor(QPalette::WindowText, toQColor(label.ForeColor, QPalette()));
        qlabel->setPalette(palette);
      }
      return;
    }
    case ControlKind::CheckBox: {
      const auto& box = static_cast<const CheckBox&>(control);
      auto* check = static_cast<QCheckBox*>(widget);
      if (id == PropertyId::Caption) check->setText(QString::fromStdString(box.Caption));
      if (id == PropertyId::Font) check->setFont(toQFont(box.Font));
      if (id == PropertyId::CheckValue) {
        const QSignalBlocker quiet(check);
        const int16_t v = box.Value;
        check->setCheckState(v == 1 ? Qt::Checked : v == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
      }
      return;
    }
    case ControlKind::Frame: {
      const auto& frame = static_cast<const Frame&>(control);
      auto* group = static_cast<QGroupBox*>(widget);
      if (id == PropertyId::Caption) group->setTitle(QString::fromStdString(frame.Caption));
      if (id == PropertyId::Font) group->setFont(toQFont(frame.Font));
      return;
    }
    case ControlKind::Slider: {
      const auto& slider = static_cast<const Slider&>(control);
      auto* qslider = static_cast<QSlider*>(widget);
      // The model already holds the value: showing it raises nothing again.
      const QSignalBlocker quiet(qslider);
      qslider->setRange(slider.Min, slider.Max);
      qslider->setSingleStep(slider.SmallChange);
      qslider->setPageStep(slider.LargeChange);
      qslider->setTickInterval(slider.TickFrequency);
      qslider->setValue(slider.Value);
      return;
    }
    case ControlKind::PictureBox:
      static_cast<ViewWidget*>(widget)->changed();
      return;
    default:
      return;
  }
}

void showAllProperties(const Control& control, QWidget* widget) {
  if (!widget) return;
  for (PropertyId id : kAllProperties) showProperty(control, widget, id);
  widget->setVisible(control.Visible);
}

}  // namespace lupe::qt
