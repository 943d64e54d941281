// Registers the input widgets under their interface names ("CustomKeyboardView",
// "ArPickerView", "CustomDatePickerView", "RiskShowView", "NewTimeInputAlertView"), so that
// screens and the shell make them by name, built and awoken.
#pragma once

void RegisterInputClasses();
