#include "platform/ui/MailComposer.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "platform/foundation/Dates.h"
#include "platform/foundation/DurableFile.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Text.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"

namespace ui {

namespace {

bool gCanSendMail = true;

std::string join(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (const auto& item : items) {
    if (!out.empty()) out += separator;
    out += item;
  }
  return out;
}

std::vector<std::string> splitAddresses(const std::string& text) {
  std::vector<std::string> out;
  std::string current;
  for (char c : text + ",") {
    if (c == ',' || c == ';') {
      size_t a = current.find_first_not_of(' ');
      size_t b = current.find_last_not_of(' ');
      if (a != std::string::npos) out.push_back(current.substr(a, b - a + 1));
      current.clear();
    } else {
      current += c;
    }
  }
  return out;
}

// Header values stay on one line.
std::string oneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

// A mail or a contact is the user's: written whole and readable by its owner only.
bool writeFile(const std::string& path, const std::string& text) {
  return foundation::writeFileAtomically(path, text);
}

// A bar with a title and a button at each end, as the platform's sheets have.
std::shared_ptr<View> makeBar(const std::string& title, const std::string& left,
                              std::function<void()> leftAction, const std::string& right,
                              std::function<void()> rightAction) {
  double width = Screen::main().bounds().width();
  auto bar = View::create(gfx::Rect(0, 0, width, 44));
  bar->setBackgroundColor(gfx::Color::rgb255(247, 247, 247));
  auto label = Label::create(gfx::Rect(70, 0, width - 140, 44));
  label->setText(title);
  label->setFont(gfx::Font::boldSystemFont(17));
  label->setTextAlignment(gfx::TextAlignment::Center);
  bar->addSubview(label);
  auto l = Button::create(gfx::Rect(5, 0, 60, 44));
  l->setTitle(left);
  l->setTitleColor(gfx::Color::rgb255(0, 122, 255));
  l->addTarget([leftAction](Control&) { leftAction(); }, ControlEvent::TouchUpInside);
  l->setTag(1);
  bar->addSubview(l);
  auto r = Button::create(gfx::Rect(width - 65, 0, 60, 44));
  r->setTitle(right);
  r->setTitleColor(gfx::Color::rgb255(0, 122, 255));
  r->addTarget([rightAction](Control&) { rightAction(); }, ControlEvent::TouchUpInside);
  r->setTag(2);
  bar->addSubview(r);
  return bar;
}

std::string vcardEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == ',' || c == ';') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    if (c == '\r') continue;
    out += c;
  }
  return out;
}

}  // namespace

// --- mail -------------------------------------------------------------------------------------

MailComposer::MailComposer() {
  setTitle("新邮件");
}

MailComposer::~MailComposer() = default;

bool MailComposer::canSendMail() {
  return gCanSendMail;
}

void MailComposer::setCanSendMail(bool can) {
  gCanSendMail = can;
}

void MailComposer::setToRecipients(std::vector<std::string> recipients) {
  to_ = std::move(recipients);
  if (toField_) toField_->setText(join(to_, ", "));
}

void MailComposer::setCcRecipients(std::vector<std::string> recipients) {
  cc_ = std::move(recipients);
}

void MailComposer::setSubject(const std::string& subject) {
  subject_ = subject;
  if (subjectField_) subjectField_->setText(subject);
}

std::string MailComposer::subject() const {
  return subjectField_ ? subjectField_->text() : subject_;
}

void MailComposer::setMessageBody(const std::string& body, bool isHTML) {
  body_ = body;
  html_ = isHTML;
  if (bodyView_) bodyView_->setText(body);
}

std::string MailComposer::messageBody() const {
  return bodyView_ ? bodyView_->text() : body_;
}

void MailComposer::loadView() {
  gfx::Rect frame = Screen::main().applicationFrame();
  auto root = View::create(frame);
  root->setBackgroundColor(gfx::Color::white());
  auto self = std::static_pointer_cast<MailComposer>(shared_from_this());
  std::weak_ptr<MailComposer> weak = self;
  root->addSubview(makeBar(
      title(), "取消",
      [weak] {
        if (auto c = weak.lock()) c->cancel();
      },
      "发送",
      [weak] {
        if (auto c = weak.lock()) c->send();
      }));
  double width = frame.width();
  auto row = [&](double y, const std::string& caption) {
    auto label = Label::create(gfx::Rect(10, y, 70, 40));
    label->setText(caption);
    label->setTextColor(gfx::Color::grey(0.55));
    label->setFont(gfx::Font::systemFont(15));
    root->addSubview(label);
    auto line = View::create(gfx::Rect(0, y + 40, width, 1));
    line->setBackgroundColor(gfx::Color::grey(0.85));
    root->addSubview(line);
    auto field = TextField::create(gfx::Rect(80, y, width - 90, 40));
    field->setFont(gfx::Font::systemFont(15));
    field->setContentVerticalAlignment(ContentVerticalAlignment::Center);
    root->addSubview(field);
    return field;
  };
  toField_ = row(44, "收件人:");
  toField_->setKeyboardType(KeyboardType::EmailAddress);
  toField_->setText(join(to_, ", "));
  toField_->setTag(kToTag);
  subjectField_ = row(85, "主题:");
  subjectField_->setTag(kSubjectTag);
  subjectField_->setText(subject_);
  bodyView_ = TextView::create(gfx::Rect(5, 130, width - 10, frame.height() - 135));
  bodyView_->setFont(gfx::Font::systemFont(15));
  bodyView_->setText(body_);
  bodyView_->setTag(kBodyTag);
  root->addSubview(bodyView_);
  setView(root);
}

std::string MailComposer::composedMessage() const {
  std::vector<std::string> to = toField_ ? splitAddresses(toField_->text()) : to_;
  std::string text;
  text += "To: " + oneLine(join(to, ", ")) + "\r\n";
  if (!cc_.empty()) text += "Cc: " + oneLine(join(cc_, ", ")) + "\r\n";
  if (!bcc_.empty()) text += "Bcc: " + oneLine(join(bcc_, ", ")) + "\r\n";
  text += "Subject: " + oneLine(subject()) + "\r\n";
  text +=
      "Date: " + foundation::formatDate(foundation::currentDate(), "yyyy-MM-dd HH:mm:ss") + "\r\n";
  text += "MIME-Version: 1.0\r\n";
  text +=
      std::string("Content-Type: ") + (html_ ? "text/html" : "text/plain") + "; charset=UTF-8\r\n";
  text += "\r\n";
  text += messageBody();
  return text;
}

void MailComposer::send() {
  if (finished_) return;
  if (!canSendMail()) {
    foundation::logError("MailComposer: mail cannot be sent");
    finish(MailComposeResult::Failed, -1);
    return;
  }
  std::string dir = foundation::documentsPath(kMailOutboxFolder);
  static int counter = 0;
  std::string path;
  do {
    path = dir + "/" + foundation::formatDate(foundation::currentDate(), "yyyyMMdd-HHmmss") +
           foundation::format("-%d.eml", ++counter);
  } while (std::filesystem::exists(path));
  if (!foundation::makePrivateDirectories(dir) || !writeFile(path, composedMessage())) {
    foundation::logError("MailComposer: cannot write '%s'", path.c_str());
    finish(MailComposeResult::Failed, -1);
    return;
  }
  lastFile_ = path;
  foundation::logInfo("MailComposer: mail written to %s", path.c_str());
  finish(MailComposeResult::Sent, 0);
}

void MailComposer::cancel() {
  if (finished_) return;
  finish(MailComposeResult::Cancelled, 0);
}

void MailComposer::finish(MailComposeResult result, int error) {
  auto hold = shared_from_this();
  if (result != MailComposeResult::Failed) finished_ = true;
  if (isViewLoaded() && view()->window()) view()->endEditing(true);
  if (auto d = delegate_.lock()) d->mailComposeControllerDidFinishWithResult(*this, result, error);
}

// --- contacts ---------------------------------------------------------------------------------

AddressBook& AddressBook::shared() {
  static AddressBook* book = new AddressBook();
  return *book;
}

std::string AddressBook::vCard(const Contact& c) {
  std::string v = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
  v += "N:" + vcardEscape(c.lastName) + ";" + vcardEscape(c.firstName) + ";;;\r\n";
  std::string full = c.lastName + c.firstName;
  if (!c.lastName.empty() && !c.firstName.empty() && c.lastName.front() >= 0 &&
      c.firstName.front() >= 0)
    full = c.firstName + " " + c.lastName;  // Latin names read first name first
  if (full.empty()) full = c.organization;
  v += "FN:" + vcardEscape(full) + "\r\n";
  if (!c.organization.empty()) v += "ORG:" + vcardEscape(c.organization) + "\r\n";
  if (!c.jobTitle.empty()) v += "TITLE:" + vcardEscape(c.jobTitle) + "\r\n";
  for (const auto& [label, number] : c.phones) {
    std::string type = label == "mobile" ? "CELL"
                       : label == "work" ? "WORK"
                       : label == "home" ? "HOME"
                                         : "VOICE";
    v += "TEL;TYPE=" + type + ":" + vcardEscape(number) + "\r\n";
  }
  for (const auto& email : c.emails) v += "EMAIL;TYPE=INTERNET:" + vcardEscape(email) + "\r\n";
  if (!c.address.empty()) v += "ADR;TYPE=WORK:;;" + vcardEscape(c.address) + ";;;;\r\n";
  if (!c.note.empty()) v += "NOTE:" + vcardEscape(c.note) + "\r\n";
  v += "END:VCARD\r\n";
  return v;
}

int AddressBook::addContact(const Contact& contact, std::string* path) {
  bool named =
      !contact.firstName.empty() || !contact.lastName.empty() || !contact.organization.empty();
  if (!named && contact.phones.empty()) {
    foundation::logError("AddressBook: a contact needs a name or a number");
    return -1;
  }
  std::string dir = foundation::documentsPath(kContactsFolder);
  if (!foundation::makePrivateDirectories(dir)) {
    foundation::logError("AddressBook: cannot make '%s'", dir.c_str());
    return -1;
  }
  int n = static_cast<int>(contactFiles().size()) + 1;
  std::string file;
  do {
    file = dir + foundation::format("/contact-%04d.vcf", n++);
  } while (std::filesystem::exists(file));
  if (!writeFile(file, vCard(contact))) {
    foundation::logError("AddressBook: cannot write '%s'", file.c_str());
    return -1;
  }
  if (path) *path = file;
  return 0;
}

std::vector<std::string> AddressBook::contactFiles() const {
  std::vector<std::string> out;
  std::error_code ec;
  std::string dir = foundation::documentsPath(kContactsFolder);
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
    if (entry.path().extension() == ".vcf") out.push_back(entry.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

NewContactController::NewContactController(Contact contact) : contact_(std::move(contact)) {
  setTitle("新建联系人");
}

int NewContactController::save() {
  auto hold = shared_from_this();
  int result = AddressBook::shared().addContact(contact_);
  if (completion_) completion_(*this, result == 0 ? &contact_ : nullptr);
  return result;
}

void NewContactController::cancel() {
  auto hold = shared_from_this();
  if (completion_) completion_(*this, nullptr);
}

void NewContactController::loadView() {
  gfx::Rect frame = Screen::main().applicationFrame();
  auto root = View::create(frame);
  root->setBackgroundColor(gfx::Color::groupTableBackground());
  std::weak_ptr<NewContactController> weak =
      std::static_pointer_cast<NewContactController>(shared_from_this());
  auto cancelAction = [weak] {
    if (auto c = weak.lock()) c->cancel();
  };
  auto saveAction = [weak] {
    if (auto c = weak.lock()) c->save();
  };
  // Inside a navigation controller its bar carries the title and the buttons; a bar of its own
  // would show the title twice.
  const bool navigated = navigationController() != nullptr;
  if (navigated) {
    navigationItem().setLeftBarButtonItem(BarButtonItem::withTitle(
        "取消", BarButtonItemStyle::Bordered, [cancelAction](BarButtonItem&) { cancelAction(); }));
    navigationItem().setRightBarButtonItem(BarButtonItem::withTitle(
        "保存", BarButtonItemStyle::Done, [saveAction](BarButtonItem&) { saveAction(); }));
  } else {
    root->addSubview(makeBar(title(), "取消", cancelAction, "保存", saveAction));
  }
  std::vector<std::pair<std::string, std::string>> rows;
  rows.emplace_back("姓名", contact_.lastName + contact_.firstName);
  if (!contact_.organization.empty()) rows.emplace_back("公司", contact_.organization);
  for (const auto& [label, number] : contact_.phones)
    rows.emplace_back(label == "mobile" ? "手机" : label == "work" ? "办公" : "电话", number);
  for (const auto& email : contact_.emails) rows.emplace_back("邮件", email);
  if (!contact_.address.empty()) rows.emplace_back("地址", contact_.address);
  double y = navigated ? 16 : 60;
  for (const auto& [caption, value] : rows) {
    auto cell = View::create(gfx::Rect(10, y, frame.width() - 20, 44));
    cell->setBackgroundColor(gfx::Color::white());
    cell->layer().setCornerRadius(6);
    auto c = Label::create(gfx::Rect(10, 0, 60, 44));
    c->setText(caption);
    c->setTextColor(gfx::Color::rgb255(0, 122, 255));
    c->setFont(gfx::Font::systemFont(15));
    cell->addSubview(c);
    auto v = Label::create(gfx::Rect(75, 0, frame.width() - 115, 44));
    v->setText(value);
    v->setFont(gfx::Font::systemFont(15));
    cell->addSubview(v);
    root->addSubview(cell);
    y += 52;
  }
  setView(root);
}

}  // namespace ui
