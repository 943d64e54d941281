// Pictures of views written for a person to look at, under the build folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/graphics/Image.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/View.h"

namespace picturetest {

// Writes what `view` shows as a PNG at `path`: the picture covers the view's bounds and holds
// more than an empty file would.
inline void WritePicture(ui::View& view, const std::string& path) {
  const gfx::Image image = ui::snapshotView(view);
  ASSERT_EQ(image.size(), view.bounds().size);
  ASSERT_TRUE(image.writePng(path));
  EXPECT_GT(std::filesystem::file_size(path), 200u);
}

}  // namespace picturetest
