# The resources the game asks for by name or number, once for every build: the resource table
# of kf_resources, the Windows resource script, resource_ids.h for the code and the tests, and
# tools/sfxgen with the test that compares its output with resources/ all take them from here.

# The song's resource number (type "MIDI", the file song.mid).
set(KF_SONG_ID 114)

# The sound effects, by the lower-case name the game asks for (PlaySoundEffect("fart1")). Each
# is the WAVE resource of the upper-case name (FART1) with the bytes of resources/<name>.wav,
# which the recipe of that name in tools/sfxgen renders. A new effect is one name here and its
# recipe.
set(KF_SOUND_EFFECTS fart1 fart2 fart3 rel klatschen flush)
