// A strip of seven period buttons and a settings button for a K-line screen; it reports each
// choice to its delegate as one command: the period (1 day .. 7 thirty minutes, in the chart's
// numbering) or 10001 for the settings button.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/View.h"

class KlineToolBarDelegate {
 public:
  virtual ~KlineToolBarDelegate() = default;
  virtual void TimeframeCircle(uint16_t command) = 0;
};

class KlineToolBar : public ui::View {
 public:
  static constexpr uint16_t kSettingsCommand = 10001;
  static constexpr int kSlots = 8;

  explicit KlineToolBar(const gfx::Rect& frame);
  static std::shared_ptr<KlineToolBar> initWithFrame(const gfx::Rect& frame);

  void SetButtonStatus();
  void setActivedButton(ui::Button& button);
  void setDelegate(KlineToolBarDelegate* d) { Delegate = d; }
  // The command of a slot (0..7).
  static uint16_t commandOf(int slot);

  KlineToolBarDelegate* Delegate = nullptr;
  std::array<std::shared_ptr<ui::Button>, kSlots> m_button{};
  std::shared_ptr<ui::ImageView> _menuBarSlideBg;

 private:
  void build();
  void tapped(int slot);
};
