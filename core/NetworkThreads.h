// The six connections, the three long-lived network threads and the send turns.
//
// A push function (core/SendQueues.h) queues a packet on its server's connection and posts the
// queue's notification; while the threads run, an observer hands a send turn to the
// connection's thread: connect when needed (with a login put in front where the server wants
// one), then send everything queued in pieces of at most 8192 bytes. Replies are read on the
// same thread and posted on the main thread by page name (core/ReceiveRecord.h).
//
//   authentication, quote, trade  -> the net thread
//   message                       -> the message thread
//   price alert                   -> the price-alert thread
//   verification                  -> the thread that pushed (its run loop must run)
//
// A screen sends by building a packet with a request code from NextRequestCode and pushing
// it (PushCenterSendQueue, ...); it observes its page name ("SelfStock", "login", ...) on the
// default notification center and reads the reply with ReceiveRecordView::From, keeping only
// replies whose request code is the one it sent.
//
// AppHooks::repondsToUploadSelfStock runs on the net thread inside the read; it must not wait
// for the main thread (the main thread may be closing that very socket).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/CSocket.h"
#include "core/CoreConnectionControl.h"
#include "platform/foundation/RunLoop.h"

CSocket& GetCoreSocket(CoreConnection which);

// Starts the three threads, registers the queue observers and installs the connection control
// used by the session reset. True when running (also when already running).
bool StartNetworkThreads();
// Unregisters the observers, ends any connection race, closes the six connections, stops and
// joins the threads and every connect attempt. Queued packets stay queued. Idempotent.
void StopNetworkThreads();
bool AreNetworkThreadsRunning();

// The loops of the threads (null when stopped), for tests and the shell's own performs.
std::shared_ptr<foundation::RunLoop> GetNetThreadLoop();
std::shared_ptr<foundation::RunLoop> GetMessageThreadLoop();
std::shared_ptr<foundation::RunLoop> GetPriceNotificationThreadLoop();

// Seconds (time()) of the last send turn on the authentication or quote connection or event of
// the quote socket; the idle heartbeat reads it.
int64_t GetLastSendRecvTime();
void SetLastSendRecvTime(int64_t seconds);

// A connection the server closed or broke under us (never one closed on purpose: logout,
// background, stop). A new quote connection carries none of the old one's subscriptions, so the
// application is told (AppHooks::quoteConnectionLost) to open it again, and told once more
// (AppHooks::quoteConnectionReopened) by the first turn that connects again, when the screens
// ask again for what they show. Other connections are reopened by their next request as ever.
void NoteConnectionDropped(CoreConnection which);
// True from a drop of the quote connection until a turn has connected it again.
bool IsQuoteConnectionDropped();
// The login a new quote connection sends in front of its first request was answered (either
// way), or no longer counts.
void NoteQuoteLoginAnswered();
// A quote connection whose login has had no answer for `seconds` (on the screens' clock) is of
// no use: the server took it and stalls. It is closed and counted as dropped, so that the next
// turn connects again with a login of its own and the screens ask again (true: it was).
bool DropStalledQuoteLogin(double seconds);

// True when every packet read so far has been handed to the screens and taken by them, no piece
// of one waits in a receive buffer, and nothing came in for `seconds`: the figures a burst of
// pushes brings (a quote, then its bars) have all reached the screen. The walks judge a screen's
// figures only then. `seconds` are real seconds, whatever clock the screens run on.
bool IsNetworkQuiet(double seconds);
// How many requests queued or sent on any connection have waited less than `withinSeconds` of
// real time for their answer (see CSocket::AwaitedAnswers).
int RequestsAwaitingAnswer(double withinSeconds);
// Takes the requests with that code out of every connection's send queue (those still waiting
// for a connection); returns how many. A screen that told the user its request timed out calls
// it, so that the request does not go out once the connection is back.
int WithdrawQueuedRequest(uint16_t code);
// Takes the login requests (authentication and quote logins) out of the authentication and
// quote send queues; returns how many. A login whose connect failed was answered by that
// failure: sent later it would start a second login chain beside the one the user asks for.
int WithdrawQueuedLogins();
// Called by the readers on every read that brought bytes.
void NoteBytesReceived();
// The quote server answered a request normally (no error answer): when, on the screens' clock
// (foundation::Clock::now; -1e9 before the first). The walks judge a screen that has shown no
// current answer long after the server answered again as stale.
void NoteQuoteAnswered();
double LastQuoteAnswerAt();

// One send turn on the calling thread (normally run by the observers).
// childType is the queued packet's child type as announced by the push (0 when unknown).
void RunSendTurn(CoreConnection which, int childType);

// What the readable callback of `which` does with one cut packet in a receive record: handles
// it and returns the page name it is to be posted under ("" for none). The callbacks below run
// it for every packet they cut.
std::string DispatchReceiveRecord(CoreConnection which, uint8_t* record);

// Readable callbacks of the connections.
void RenZhengConnectCallBack(const net::SocketPtr& socket);
void TCPServerConnectCallBack(const net::SocketPtr& socket);
void TradeConnectCallBack(const net::SocketPtr& socket);
void UserVerifyConnectCallBack(const net::SocketPtr& socket);
void UserMessageConnectCallBack(const net::SocketPtr& socket);
void PriceNotificationConnectCallBack(const net::SocketPtr& socket);
