#include "shell/placeholders/OtherPlaceholders.h"

#include <cstring>

#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "platform/graphics/Font.h"

void TrendlineController::SetStockInfo(const char* code, uint8_t market, uint8_t stockType) {
  code_ = code ? std::string(code, strnlen(code, 8)) : std::string();
  market_ = market;
  stockType_ = stockType;
  refreshLines();
}

void TrendlineController::UpdateStockInfo(const char* code, uint8_t market, uint8_t stockType) {
  ++updates_;
  SetStockInfo(code, market, stockType);
}

std::vector<std::string> TrendlineController::lines() const {
  std::vector<std::string> out{"代码 " + code_ + "  市场 " + std::to_string(market_)};
  tagLocalStockData quote{};
  if (!code_.empty() &&
      QuoteCache_GetQuote(quote, static_cast<uint8_t>(market_), code_.c_str()) >= 0)
    out.push_back("最新 " + FormatPriceString(quote.now, 10, 2, quote.yesterday));
  return out;
}
