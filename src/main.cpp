// Scaffolding: replaced by the Qt wiring.
int main() { return 0; }
