// The trade login of this run: the fund account and trade password the trade server accepted,
// on the trade connection it accepted them on, for the user logged in then. Another trade
// connection (the old one dropped or was reset) or another user has no trade login: the trade
// screen asks for it again rather than send requests the server refuses.
#pragma once

#include <string>

bool IsTradeLoggedIn();
// The account of the trade login ("" without one).
std::string TradeLoginAccount();
// The login the server accepted: the session object's account and trade password carry it in
// every trade request from now on.
void NoteTradeLogin(const std::string& account, const std::string& password);
// No trade login any more (a refused login, a logout): the session object forgets it too.
void ForgetTradeLogin();
// The user's session ends (a logout, a guest session in its place): the trade login ends with
// it, here and on the trade server, which forgets it with its connection.
void EndTradeLogin();
