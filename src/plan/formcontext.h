#pragma once

class ContactSource;
class Plan;
class Prompter;

// What the window hands every tab and editor: the plan they show and change, the prompter that
// asks the user, and where contacts come from. Forms reach nothing else of the program.
struct FormContext {
    Plan &plan;
    Prompter &prompter;
    ContactSource &contacts;
};
