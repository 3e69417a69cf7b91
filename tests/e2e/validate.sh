#!/usr/bin/env bash
# The data validator: a data set that holds everything the sources ask for passes; one that lacks an id,
# declares it as another kind, fails to load a group, puts a title picture in a later group, shares a
# picture between the main thread's and the loading thread's groups, lacks a text, or has a particle
# effect that is missing, names no picture or lives other than its users need, or a town whose person
# has no goal fails, naming each.
set -euo pipefail
pak=$3/tools/pak
validate=$3/tools/validate
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# A 1 x 1 uncompressed 32-bit TGA.
tga() { printf '\0\0\2\0\0\0\0\0\0\0\0\0\1\0\1\0\40\0\377\0\0\377' > "$1"; }

manifest() {
    local file=$1 group=$2 body=${3:-}
    printf '<ResourceManifest>\n<Resources id="%s">\n%b</Resources>\n</ResourceManifest>\n' "$group" "$body" \
        > "$work/data/properties/$file"
}

# Sources that ask for two pictures, a font and two texts; a comment's id does not count.
mkdir -p "$work/sources/src/screens" "$work/data/properties" "$work/data/images" "$work/program"
cat > "$work/sources/src/screens/a.cpp" <<'CODE'
// "IMAGE_IN_COMMENT" is not asked for.
const char* picture = "IMAGE_HERE";
const char* font = "FONT_TITLE"; /* "FONT_IN_BLOCK" */
auto text = GetLocalizedText("lab_present");
auto error = GetStringProperty("FATAL_ERROR", "FATAL ERROR");
CODE
printf '<settings><bool name="sound" val="true"/></settings>\n' > "$work/program/config.xml"
printf '<Properties>\n<String id="lab_present">Here</String>\n<String id="FATAL_ERROR">FATAL ERROR</String>\n<String id="welcome_back">Hi %%USER%%</String>\n<String id="welcome_back_short">%%USER%%</String>\n</Properties>\n' \
    > "$work/data/properties/trans.xml"
printf '<Properties>\n</Properties>\n' > "$work/data/properties/language.xml"
printf '<Properties>\n</Properties>\n' > "$work/data/properties/game_sets.xml"
tga "$work/data/images/here.tga"
manifest resources.xml General '<Image path="images/here.tga" id="IMAGE_HERE"/>\n'
manifest loading.xml Loading
for pair in field:Field blocks:Blocks buildings:Buildings town_animation:TownAnimation bonus_panel:BonusPanel \
    sounds:Sounds; do
    manifest "${pair%%:*}.xml" "${pair#*:}"
done
# The font is a system font.
manifest fonts.xml Fonts '<Font path="!sys:DejaVu Sans" size="12" id="FONT_TITLE"/>\n'
# The game's own music, whose tracks are checked whole.
cp -r "$3/data/music" "$work/data/"
cp "$2/data/properties/music.xml" "$work/data/properties/"
# The game's own town, whose file is checked against its pictures.
cp "$2/data/properties/town.xml" "$2/data/properties/buildings.xml" "$work/data/properties/"
mkdir -p "$work/data/gfx"
cp -r "$3/data/gfx/town" "$3/data/gfx/town_ui" "$work/data/gfx/"

# A particle effect: particles IMAGE NAME LIFETIME EMISSION.
particles() {
    printf '<particles><image_id value="%s"/><lifetime value="%s"/><emission value="%s"/>' "$1" "$3" "$4" \
        > "$work/data/properties/particles/$2.xml"
    printf '<particle_life_max value="1"/></particles>\n' >> "$work/data/properties/particles/$2.xml"
}
mkdir -p "$work/data/properties/particles"
for name in brick_explode bonus_appear bonus_live bonus_action_add bonus_action_del count_done bonus_updated; do
    particles IMAGE_HERE $name -3 20
done
for name in building_smoke fountain round progress_line; do
    particles IMAGE_HERE $name -1 50
done
particles IMAGE_HERE progress_fly 2.5 50
particles IMAGE_HERE building_dust -3 5
particles IMAGE_HERE stage_complete 3 100
particles IMAGE_HERE letter_explode -3 2

"$pak" create "$work/program/main.pak" "$work/data" > /dev/null
"$validate" "$work/sources" "$work/program" > "$work/out.txt" 2>&1 || fail "a complete data set: $(cat "$work/out.txt")"
grep -q "all present" "$work/out.txt" || fail "no summary: $(cat "$work/out.txt")"

# Now break it in every way at once.
cat >> "$work/sources/src/screens/a.cpp" <<'CODE'
const char* gone = "IMAGE_GONE";
const char* wrongKind = "FONT_HERE";
const char* splash = "IMAGE_SPLASH_BRAND1";
auto missing = GetLocalizedText("lab_absent");
CODE
manifest resources.xml General '<Image path="images/here.tga" id="IMAGE_HERE"/>\n<Image path="images/here.tga" id="FONT_HERE"/>\n'
manifest loading.xml Loading '<Image path="images/here.tga" id="IMAGE_SHARED" variant="v"/>\n'
manifest field.xml Field '<Image path="images/here.tga" id="IMAGE_SPLASH_BRAND1"/>\n<Image path="IMAGES/HERE.tga" id="IMAGE_ALSO" variant="V"/>\n'
manifest blocks.xml Blocks '<Image path="images/missing.tga" id="IMAGE_MISSING"/>\n'
particles IMAGE_HERE progress_line -3 20
particles IMAGE_NOWHERE fountain -1 50
rm "$work/data/properties/particles/round.xml"
sed -i 's|<LevelFood val="60"/>|<LevelFood val="0"/>|' "$work/data/properties/town.xml"
sed -i 's|>%USER%<|>You<|' "$work/data/properties/trans.xml"
rm "$work/program/main.pak"
"$pak" create "$work/program/main.pak" "$work/data" > /dev/null
if "$validate" "$work/sources" "$work/program" > "$work/out.txt" 2>&1; then
    fail "a broken data set passed"
fi
cat > "$work/expected.txt" <<'TEXT'
validate: group Blocks: Failed to load image: images/missing.tga
validate: IMAGE_GONE (src/screens/a.cpp:6): no image of that id in the manifests
validate: FONT_HERE (src/screens/a.cpp:7): no font of that id in the manifests
validate: IMAGE_SPLASH_BRAND1: the title screen draws it before loading is done, but it lies in Field
validate: IMAGE_ALSO (group Field) shares its picture IMAGES/HERE.tga with IMAGE_SHARED (group Loading)
validate: IMAGE_SPLASH_BRAND1 (group Field) shares its picture images/here.tga with FONT_HERE (group General)
validate: lab_absent (src/screens/a.cpp:9): no text in the properties files
validate: welcome_back_short: the text has no "%USER%" for the player's name
validate: properties\particles\progress_line.xml: must emit for a while or for ever, never in one burst
validate: properties\particles\fountain.xml: image_id "IMAGE_NOWHERE" names no picture of the data set
validate: properties\particles\round.xml: missing, not well-formed or without a particles element
validate: town.xml: garden: no goal above 0: the person would come with the first chain
validate: 12 problems
TEXT
# Only the validator's own lines: a sanitizer build adds its summary.
grep '^validate:' "$work/out.txt" | diff "$work/expected.txt" - || fail "the report differs"
