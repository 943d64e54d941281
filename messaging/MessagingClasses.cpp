#include "messaging/MessagingClasses.h"

#include "messaging/BrokerDirectory.h"
#include "messaging/MyMessage.h"
#include "platform/ui/Object.h"

void RegisterMessagingClasses() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<MyMessage>("MyMessage");
  InstallBrokerDirectoryResetHandler();
}
