// The add/remove button of a search result row: it shows whether the watch list holds the row's
// security and hands a tap, with the button's tag, to the screen's AddButton or DeleteButton.
#pragma once

#include <memory>

#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"

template <class Screen>
void SetWatchToggle(ui::Button& button, const std::shared_ptr<Screen>& screen, bool held) {
  button.setImage(gfx::Image::named(held ? "zxg_jianhao.png" : "zxg_jiahao.png"));
  std::weak_ptr<Screen> weak = screen;
  button.addTarget(
      [weak, held](ui::Control& sender) {
        auto me = weak.lock();
        if (!me) return;
        if (held) {
          me->DeleteButton(sender.tag());
        } else {
          me->AddButton(sender.tag());
        }
      },
      ui::ControlEvent::TouchUpInside, screen.get());
}
