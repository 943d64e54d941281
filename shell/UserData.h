// What the client stores for one user (mail files, per-user settings), forgotten as a whole when
// the user's account is deleted from the phone. Each folder that keeps something per user tells
// how to forget it here, where its classes are registered; the account screen forgets a user
// without knowing who keeps what. Main thread.
#pragma once

#include <functional>
#include <string>

// Adds (or, under the same name, replaces) what forgets the data one keeper holds for a user.
void RegisterUserDataForgetter(const std::string& keeper,
                               std::function<void(const std::string& user)> forget);
// Forgets everything every keeper holds for the user (a non-empty name).
void ForgetUserData(const std::string& user);
