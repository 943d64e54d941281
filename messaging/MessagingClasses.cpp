#include "messaging/MessagingClasses.h"

#include "messaging/BrokerDetail.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/CommunionViewController.h"
#include "messaging/MyMessage.h"
#include "messaging/MyMessageDetailController.h"
#include "messaging/SendMessageViewController.h"
#include "messaging/SenderListViewController.h"
#include "messaging/MessageStore.h"
#include "platform/ui/Object.h"
#include "shell/UserData.h"

void RegisterMessagingClasses() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<MyMessage>("MyMessage");
  registry.registerClass<MyMessageDetailController>("MyMessageDetailController");
  // The adviser card and its variant for screens at least 568 points tall.
  registry.registerClass("BrokerDetail", [] {
    return std::static_pointer_cast<ui::Object>(BrokerDetail::createFromInterface(false));
  });
  registry.registerClass("BrokerDetail_iP5", [] {
    return std::static_pointer_cast<ui::Object>(BrokerDetail::createFromInterface(true));
  });
  registry.registerClass<SendMessageViewController>("SendMessageViewController");
  registry.registerClass<CommunionViewController>("CommunionViewController");
  registry.registerClass<SenderListViewController>("SenderListViewController");
  InstallBrokerDirectoryResetHandler();
  RegisterUserDataForgetter("mail", [](const std::string& user) { ForgetStoredMessages(user); });
}
