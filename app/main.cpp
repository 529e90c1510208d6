// Process entry (placeholder until the window system lands).
int main() { return 0; }
