#include "commands.h"
#include "console.h"
#include "platform/console.h"
#include "entries.h"

#include <array>
#include <new>
#include <stdexcept>
#include <string>

namespace mordavelle {
namespace {

constexpr std::string_view kFrameLine = "***********************";
constexpr std::string_view kProductLine = "Mordavelle E-mail-list handler";
constexpr std::string_view kVersionLine = "_____version 2___________";
constexpr std::string_view kCreditLine = "Made by the Mordavelle developers, for people who keep lists.";
constexpr std::string_view kBlankLine = "                        ";
constexpr std::string_view kOutOfMemory = "not enough memory for these lists";
constexpr std::string_view kOptionsLine = " You only have options L, S, J, C, A, D, E, H, N, Q...";

// The frame, the product, version and credit lines in light red; the menu's
// entries and everything the commands print in light green.
constexpr platform::Colour kColourFrame = platform::Colour::light_red;
constexpr platform::Colour kColourText = platform::Colour::light_green;

void show_help()
{
    platform::show_help_box(std::string{kHelpCaption}, std::string{kHelpText});
}

// One row of the menu as it is painted. A row with a letter is also a choice:
// the letter in either case runs the action, and a choice without an action quits.
struct MenuRow {
    std::string_view line;
    char letter;
    void (*action)();
};

constexpr std::array kMenu = {
    MenuRow{"A/a: Alphabetically sort file contents.", 'A', run_alphabetical_sort},
    MenuRow{"C/c: Count the number of strings in a file.", 'C', run_count},
    MenuRow{"D/d: Sort by Department name.", 'D', run_department_sort},
    MenuRow{"E/e: Extract e-mail addresses from a text.", 'E', run_email_extraction},
    MenuRow{"J/j: Join two lists, remove redundancies.", 'J', run_join},
    MenuRow{"L/l: Change to lower case.", 'L', run_lower_case},
    MenuRow{"N/n: Extract full names from e-mails.", 'N', run_name_extraction},
    MenuRow{"S/s: Subtract one list from another.", 'S', run_subtract},
    MenuRow{kBlankLine, '\0', nullptr},
    MenuRow{"H/h: Helpful tips.", 'H', show_help},
    MenuRow{"Q/q to quit", 'Q', nullptr},
    MenuRow{kBlankLine, '\0', nullptr},
};

void paint_menu()
{
    platform::set_colour(kColourFrame);
    print_line(kFrameLine);
    print_line(kProductLine);
    print_line(kVersionLine);
    platform::set_colour(kColourText);
    for (const MenuRow& row : kMenu)
        print_line(row.line);
    platform::set_colour(kColourFrame);
    print_line(kCreditLine);
    print_line(kFrameLine);
    platform::set_colour(kColourText);
}

const MenuRow* find_choice(std::string_view word)
{
    if (word.size() != 1)
        return nullptr;
    for (const MenuRow& row : kMenu) {
        if (row.letter != '\0' && fUpper(word[0]) == row.letter)
            return &row;
    }
    return nullptr;
}

}  // namespace

std::string command_letters()
{
    std::string letters;
    for (const MenuRow& row : kMenu) {
        if (row.action != nullptr && row.action != show_help)
            letters += row.letter;
    }
    return letters;
}

int run_menu()
{
    std::string word;
    for (;;) {
        paint_menu();
        // The end of console input leaves the menu as the quit word does.
        if (!platform::read_typed_word(word))
            return 0;
        const MenuRow* choice = find_choice(word);
        if (choice == nullptr) {
            print_line(kOptionsLine);
            print_line();
            continue;
        }
        if (choice->action == nullptr)
            return 0;
        // A list too large for the memory there is ends the command as any
        // other failure does: a message, the closing word, a pause and status 1.
        try {
            choice->action();
        } catch (const std::bad_alloc&) {
            fail(kOutOfMemory, {}, kExiting);
        } catch (const std::length_error&) {
            fail(kOutOfMemory, {}, kExiting);
        }
    }
}

}  // namespace mordavelle
