/* A library that exports no initModule: the player must leave it out. */
int notAModule(void) {
  return 1;
}
