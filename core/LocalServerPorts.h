// Default loopback ports of the local test server, one per server role. The bundled "main.cfg"
// points at these (a test checks it), and the test server listens on them unless told otherwise.
#pragma once

inline constexpr const char* kLocalServerHost = "127.0.0.1";

inline constexpr int kLocalServerPortAuth = 17001;        // authentication (first login)
inline constexpr int kLocalServerPortQuote = 17002;       // quotes
inline constexpr int kLocalServerPortVerify = 17003;      // verification
inline constexpr int kLocalServerPortTrade = 17004;       // trade and bank transfer
inline constexpr int kLocalServerPortMessage = 17005;     // adviser messages
inline constexpr int kLocalServerPortPriceAlert = 17006;  // price alerts
inline constexpr int kLocalServerPortHttp = 17007;        // company-information and news pages
