#pragma once

class QPrinter;

// The one printer of the program: chosen in the printer set-up and print dialogs, used by every
// print job, so a choice made once holds until the program ends.
QPrinter &sharedPrinter();
