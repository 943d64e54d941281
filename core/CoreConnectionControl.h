// What the session state needs of the connections: closing one and dropping its buffers. The
// connection layer installs its implementation at start-up; until then these calls do nothing.
#pragma once

enum class CoreConnection { Authentication, Quote, Trade, Verification, Message, PriceAlert };

class CoreConnectionControl {
 public:
  virtual ~CoreConnectionControl() = default;
  virtual void CloseConnection(CoreConnection which) = 0;
  virtual void ClearConnectionBuffers(CoreConnection which) = 0;
};

// Not owned; null removes it. The control must outlive its installation.
void SetCoreConnectionControl(CoreConnectionControl* control);
CoreConnectionControl* GetCoreConnectionControl();
