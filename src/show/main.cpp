#include "show/show.h"

int main(int, char**) { return runShow(); }
