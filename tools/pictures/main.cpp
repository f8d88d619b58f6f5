// Placeholder until the generator lands.
int main() { return 0; }
