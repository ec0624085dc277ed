// Must not build: "gnma" is no field code of the plan (the guest's name is "gnam").
#include "store/palmdatabase.h"

int main() {
    Record record;
    return record.text("gnma").isEmpty() ? 0 : 1;
}
