// One client connection to one kind of server. A connect races every address of the server
// list at once and keeps the first socket that connects; outgoing packets wait whole in a send
// queue that the owning network thread drains; incoming bytes gather in a 9000-byte receive
// buffer from which whole packets are cut, deciphered and decompressed.
//
// The object delivers nothing by itself: the readable callback given to Connect (one per
// server kind) runs on the run loop of the thread that connected, reads and pulls the packets.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/CDataIP.h"
#include "core/LZW.h"
#include "core/PacketHeader.h"
#include "platform/net/Socket.h"

class CSocket {
 public:
  static constexpr int kRecvBufferSize = 9000;
  // Whole packets wait here while the connection is down; more is refused, never dropped.
  static constexpr int kSendQueueCapacity = 256 * 1024;
  // The largest frame the header can describe.
  static constexpr int kMaxPacketSize = 16 + 65535;
  // One send call carries at most this many bytes.
  static constexpr int kSendPiece = 8192;

  using Callback = net::Socket::ReadableCallback;

  explicit CSocket(const char* name);
  ~CSocket();
  CSocket(const CSocket&) = delete;
  CSocket& operator=(const CSocket&) = delete;

  const char* Name() const { return m_name.c_str(); }

  // Races every address of `list` (restored first when empty) and keeps the first socket that
  // connects; its readable callbacks run on the calling thread's loop. The winning address is
  // removed from `list`; after a failure `list` is restored. Blocks up to the race time-out.
  // kConnected, kConnectFailed, or kConnectCancelled when a Close from another thread ended the
  // race: nothing failed then, the caller closed on purpose.
  int Connect(CDataIP& list, Callback callback);
  static constexpr int kConnected = 1;
  static constexpr int kConnectFailed = 0;
  static constexpr int kConnectCancelled = -1;
  // 1 when a connection must be made before sending.
  int NeedsConnect();
  // Drops the connection (and any race in progress) and empties the receive buffer; queued
  // packets stay. Any thread; always 1.
  int Close();

  // Queues one whole packet. 1 queued; 0 refused (logged): larger than a frame can be, or the
  // queue would exceed its capacity. Packets already queued are never dropped.
  int PutSendData(const void* packet, int length);
  // Appends whole packets from the front of the queue to `out` while `out` stays within
  // `maximum` bytes; a first packet larger than `maximum` is taken alone. Returns the bytes
  // appended.
  int GetSendData(std::vector<uint8_t>& out, int maximum);
  // As GetSendData, but only while a connection is up: `socket` receives that connection
  // (null, and nothing taken, when there is none) and `lengths` the taken packets' lengths.
  // Taking and checking are one step, so a turn never takes packets for a connection that
  // was closed under it.
  int TakeSendData(std::vector<uint8_t>& out, int maximum, net::SocketPtr& socket,
                   std::vector<int>& lengths);
  // Puts packets taken by TakeSendData back at the front of the queue, in their order (their
  // send did not happen). Always accepted, even beyond the queue's capacity.
  void ReturnSendData(const uint8_t* data, const std::vector<int>& lengths);
  // Takes every queued packet whose request code (its 14-bit serial) is `code` out of the queue:
  // a request its screen gave up on never goes out later. Returns the packets taken.
  int WithdrawQueued(uint16_t code);
  // Takes every queued packet whose 16-byte header `matches` says so out of the queue (a login
  // that failed to connect is not one to send later). Returns the packets taken.
  int WithdrawQueuedIf(const std::function<bool(const uint8_t* header)>& matches);
  // Empties the send queue and the receive buffer.
  void ClearBuffers();
  int GetSendLen() const;
  int GetRecvLen() const;

  // Sends on the active socket: 0 sent, -1 error or not connected, -2 timed out.
  int SendData(const void* data, int length);
  // The same on `socket`, which need no longer be the active one.
  int SendData(const net::SocketPtr& socket, const void* data, int length);
  // Reads what the socket holds: bytes read (>0), 0 nothing now or no room, -1 read error or
  // end of stream (the connection is then closed).
  int RecvData();
  // Appends bytes as if the socket had delivered them (the stream's cutting can then be driven
  // without a connection). Returns the bytes taken: at most the free room of the buffer.
  int PutRecvData(const void* bytes, int length);
  // Cuts one packet: 1 delivered (16-byte header with cipher and compression bits cleared and
  // bytes 6-7 = decoded body length), 0 incomplete, -1 the stream cannot be trusted (no magic
  // byte at a frame start, a packet over 9000 bytes, a body that does not decipher or decode,
  // an unknown code); the caller
  // closes the connection then.
  int GetPacket(uint8_t* header, uint8_t* body, int capacity, const char* key);
  // The active socket; null when not connected.
  net::SocketPtr GetCFSocket() const;

  // --- Hand-off of received records to the main loop ---
  // The records this connection has queued for the main loop and the main loop has not taken
  // yet never pass kHandOffBound: a reader that would pass it waits, reading nothing (the
  // kernel's TCP window then slows the server), until the main loop has taken them down to
  // kHandOffResume. Nothing is dropped, and memory stays bounded under any rate.
  static constexpr int kHandOffBound = 256;
  static constexpr int kHandOffResume = 192;
  // The reader calls this before it cuts a packet that will queue up to `records` records.
  // True at once while there is room. Otherwise waits, and answers false when `socket` stops
  // being this connection's socket (Close, a new connection) before or during the wait: the
  // reader ends its event then. Never waits on the main thread, which is the one that drains.
  bool WaitForHandOffRoom(const net::SocketPtr& socket, int records);
  // Counts one record queued for the main loop until the ticket is destroyed (the main loop
  // took the record, or the task was dropped with its loop).
  std::shared_ptr<void> TakeHandOffTicket();
  // Records waiting now, and the most that ever waited since the last reset (tests).
  int HandOffWaiting() const;
  // Bytes read and not yet taken as packets (a packet's first piece waiting for the rest).
  int BufferedBytes() const;
  // The request codes queued or sent on this connection that no packet has answered yet (a
  // request whose connection closed counts no more once it was sent: its answer cannot come),
  // those awaited for less than `withinSeconds` of real time. A headless script's clock waits
  // for them before it moves on.
  int AwaitedAnswers(double withinSeconds = 1e9) const;
  // A packet with that code has been handed on: its request is answered once the last of the
  // answer's numbered parts is (each part is an answer of its own, the rest still on the way).
  // (The reader says so once the packet's records are on their way to the main loop, so that at
  // no moment does neither the request nor its answer wait.)
  void AnswerArrived(const PacketHeader& header);
  // Awaits the answer to a request sent without the queue (the login a turn puts in front).
  void AwaitAnswerTo(const uint8_t* packet, int length);
  int HandOffPeak() const;
  void ResetHandOffPeak();

  // Waits for every connect attempt thread this object started.
  void JoinAttempts();

  // Tests shorten the race (default 20 s) and the per-address connect (default 10 s).
  static void SetConnectTimeouts(double raceSeconds, double attemptSeconds);
  // Tests: runs in each attempt thread after its connect finished, before it may win.
  static void SetAttemptHookForTesting(std::function<void(int index)> hook);
  // Web host of the network test page fetched before a retried name lookup; empty skips it.
  static void SetNetworkTestHost(std::string host);

 private:
  struct Race;
  struct HandOff;
  struct Attempt {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  static void RunAttempt(std::shared_ptr<Race> race, int index, std::string address);
  void ReapAttempts(bool all);
  int TakeLocked(std::vector<uint8_t>& out, int maximum, std::vector<int>* lengths);
  void AwaitLocked(const uint8_t* packet, int length);
  void EraseAwaitedLocked(uint16_t code);
  void AwaitQueuedLocked();

  const std::string m_name;
  mutable std::mutex m_lock;  // buffers, m_socket, m_race
  int m_recvLen = 0;
  uint8_t m_recvBuf[kRecvBufferSize];
  std::vector<uint8_t> m_sendBuf;  // whole packets back to back
  std::deque<int> m_sendPackets;   // their lengths
  // Request codes without an answer yet, and since when (see AwaitedAnswers).
  std::vector<std::pair<uint16_t, std::chrono::steady_clock::time_point>> m_awaited;
  net::SocketPtr m_socket;
  std::shared_ptr<Race> m_race;
  CDataIP m_serverList;
  LzwWorkArea m_lzwWork;
  uint64_t m_raceCount = 0;

  // Shared with the tickets of queued records, which may outlive a read event.
  const std::shared_ptr<HandOff> m_handOff;

  std::mutex m_attemptsLock;
  std::vector<Attempt> m_attempts;
};
