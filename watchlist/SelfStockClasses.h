// Registers the watch-list screen under its class name (main thread; idempotent).
#pragma once

void RegisterSelfStockClasses();
