// The entry of a production's scene module (mivex_add_production): the
// production's own main.cpp, built into the module with its main renamed,
// whose RunProduction<Director> then offers the director instead of
// running. The program that loads the module calls this.
int mivex_scene_main(int argc, char** argv);

extern "C" __attribute__((visibility("default"))) int mivex_scene_module_entry(int argc,
                                                                               char** argv)
{
    return mivex_scene_main(argc, argv);
}
