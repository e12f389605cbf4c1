// The commands of the menu, one file each, and the menu that runs them.
#pragma once

#include <string>
#include <string_view>

namespace mordavelle {

// Runs the menu until the quit word or the end of console input, and returns
// the exit status. A failing command ends it by throwing a Failure.
int run_menu();

// The letters of the menu's commands, in the menu's order, as its table has
// them (the help box and the quit word are none), so that tests of every
// command follow the table.
std::string command_letters();

inline constexpr std::string_view kHelpCaption = "Mordsavelle";
inline constexpr std::string_view kHelpText =
    "Uses text files (Notepad/Anteckningar, Name.txt) that are local (in same folder as the program). "
    "Some functions (S, J) require prior conversion to lower case letters. "
    "You may copy the program to several different folders.";

// A: writes stem_a.txt, the entries of stem.txt in byte order.
void run_alphabetical_sort();
// C: tells how many entries a list file holds.
void run_count();
// D: writes stemDEPT.txt, the addresses of stem.txt in order of department.
void run_department_sort();
// E: writes stemEPX.txt, every word of a free text that holds an at sign.
void run_email_extraction();
// J: writes first_second.txt beside the first list, both lists without
// repeated entries.
void run_join();
// L: writes stem_low.txt, the list with every English capital letter lowered.
void run_lower_case();
// N: writes stem_N.txt, "First Last" names from first.last@ addresses, sorted.
void run_name_extraction();
// S: writes Reminders.txt, the list of all less its responders.
void run_subtract();

}  // namespace mordavelle
