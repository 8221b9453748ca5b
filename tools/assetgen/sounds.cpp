// Every WAVE file of the data set: menu sounds and music, the characters'
// calls, the medal and record voices, the event announcements, the anthems
// and the COMPUTER THROW sound set.
#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tools/assetgen/audio.h"
#include "tools/assetgen/draw.h"
#include "tools/assetgen/gen.h"
#include "tools/assetgen/jobs.h"

namespace assetgen {

namespace {

const int kJudge = 6;
// Throw character -> voice (player-record character order).
int VoiceOfThrowChar(int t) { return throwassets::kCharacterOfThrowChar[t]; }

void Wav(Output& out, Root root, const std::string& path, const Samples& s, int bits = 16) {
  out.Write(root, path, EncodeWav(ToPcm(s), kRate, bits));
}

Samples Crowd(double seconds, uint32_t seed, double excitement) {
  Samples s = Noise(seconds, 0.25 + 0.2 * excitement, seed, 0.85);
  // A few voices rising out of the murmur.
  for (int i = 0; i < int(seconds * 3 * (0.5 + excitement)); ++i) {
    double at = std::fmod(i * 0.377 + seed * 0.1, seconds - 0.3);
    Samples v = Sweep(300 + 37 * (i % 7), 260 + 50 * excitement + 23 * (i % 5), 0.25, 3, 0.06 + 0.1 * excitement);
    Envelope(v, 0.05, 0.1);
    MixInto(s, v, at);
  }
  Envelope(s, 0.02, 0.02);
  return s;
}

Samples Thud(double pitch) {
  Samples s = Sweep(pitch, pitch * 0.35, 0.25, 0, 0.9);
  Envelope(s, 0.002, 0.2);
  Samples n = Noise(0.08, 0.4, 5, 0.5);
  Envelope(n, 0.001, 0.07);
  MixInto(s, n, 0);
  return s;
}

// A jingle of the character's anthem: (melody, bass) per character.
const char* const kAnthemMelody[6][2] = {
    {"C4/4 C4/8 D4/8 E4/4 C4/4 G4/2 E4/4 R/4 F4/4 E4/8 D4/8 C4/2",
     "C3/2 G2/2 C3/2 G2/2 F2/2 G2/2 C3/2"},
    {"E4/8 G4/8 A4/4 A4/8 G4/8 E4/4 D4/4 E4/2 G4/8 A4/8 C5/4 A4/4 G4/2",
     "A2/2 E3/2 A2/2 E3/2 C3/2 G2/2 A2/2"},
    {"G4/4 G4/4 G4/4 Eb4/4 Bb4/8 G4/4 Eb4/4 Bb4/8 G4/2 D5/4 D5/4 D5/2",
     "G2/2 G2/2 Eb2/2 Eb2/2 G2/2 D3/2 G2/2"},
    {"A4/8 C5/8 E5/4 D5/8 C5/8 A4/4 G4/4 A4/2 E5/8 G5/8 A5/4 G5/4 E5/2",
     "A2/2 A2/2 F2/2 G2/2 A2/2 C3/2 A2/2"},
    {"C5/8 B4/8 C5/8 G4/8 E4/8 G4/8 C5/4 D5/8 C5/8 B4/8 G4/8 C5/2 E5/4 C5/2",
     "C3/2 C3/2 G2/2 G2/2 C3/2 G2/2 C3/2"},
    {"F4/8 B4/8 E5/4 Eb5/8 A4/8 D5/4 Db5/8 G4/8 C5/2 F#5/4 B4/4 E5/2",
     "F2/2 B2/2 Eb2/2 A2/2 Db2/2 F#2/2 E2/2"},
};

Samples Anthem(int ch) {
  Samples s = Melody(kAnthemMelody[ch][0], 112 + ch * 6, ch == 5 ? 2 : 0);
  MixInto(s, Melody(kAnthemMelody[ch][1], 112 + ch * 6, 1), 0);
  MixInto(s, Drums("x...h...o...h...", 112 + ch * 6, int(s.size() / (kRate * 60.0 / (112 + ch * 6) * 4)) + 1, 0.3), 0);
  Envelope(s, 0.01, 0.4);
  return s;
}

}  // namespace

void GenerateSounds(Output& out) {
  const Root P = Root::Program, D = Root::Data;
  // Menu clicks.
  {
    Samples s = Tone(880, 0.05, 3, 0.5);
    Envelope(s, 0.002, 0.03);
    Wav(out, P, "sounds\\menu\\naviA.wav", s, 8);
    Samples sel = Tone(660, 0.08, 1, 0.35);
    Append(sel, Tone(990, 0.12, 1, 0.35));
    Envelope(sel, 0.002, 0.06);
    Wav(out, P, "sounds\\menu\\select2.wav", sel, 8);
    Samples warn = Tone(140, 0.3, 2, 0.5);
    MixInto(warn, Tone(147, 0.3, 2, 0.4), 0);
    Envelope(warn, 0.005, 0.05);
    Wav(out, P, "sounds\\menu\\warning.wav", warn, 8);
  }
  // Music loops: the main menu and the shop.
  {
    const double bpm = 128;
    std::string lead = "E4/8 G4/8 A4/8 G4/8 E4/8 D4/8 C4/4 E4/8 G4/8 C5/8 B4/8 A4/4 G4/4 "
                       "F4/8 A4/8 C5/8 A4/8 G4/8 E4/8 D4/4 E4/8 D4/8 C4/8 D4/8 C4/2";
    Samples m = Melody(lead, bpm, 0);
    MixInto(m, Melody("C3/4 C3/4 A2/4 A2/4 F2/4 F2/4 G2/4 G2/4 F2/4 F2/4 C3/4 C3/4 G2/4 G2/4 C3/2", bpm, 1), 0);
    MixInto(m, Drums("x.h.o.h.x.x.o.h.", bpm, 4, 0.35), 0);
    Wav(out, P, "sounds\\menu\\MAIN1.wav", m, 8);
    Samples t = Melody("G4/8 G4/8 A4/8 B4/8 D5/4 B4/4 C5/8 B4/8 A4/8 G4/8 E4/2 "
                       "G4/8 A4/8 B4/8 C5/8 D5/4 G5/4 F#5/8 E5/8 D5/8 C5/8 B4/2", 116, 2);
    MixInto(t, Melody("G2/2 G2/2 C3/2 C3/2 G2/2 E2/2 D2/2 G2/2", 116, 1), 0);
    MixInto(t, Drums("x...o...x.x.o...", 116, 4, 0.3), 0);
    Wav(out, P, "sounds\\menu\\theme.wav", t, 8);
  }
  // The characters' calls on the new game screen (file -> character).
  static const struct { const char* file; int ch; const char* text; } kCalls[6] = {
      {"Rizaz1.wav", 0, "Rizaz is in the house!"},   {"Amen1.wav", 3, "Amen!"},
      {"Zovi1.wav", 5, "Zovi comes in peace."},      {"Nitemare.wav", 1, "I am your nightmare!"},
      {"Ohwow.wav", 4, "Oh wow!"},                   {"Makeday.wav", 2, "Go ahead. Make my day."}};
  // The spoken files below are made side by side: each waits mostly on the
  // speech synthesiser.
  ForEach(6, [&](int i) { Wav(out, P, std::string("sounds\\menu\\") + kCalls[i].file, Speak(kCalls[i].text, kCalls[i].ch)); });
  // Medal voices, three takes per place and character.
  static const char* const kPlaceWords[3][3] = {
      {"Gold! I am the champion!", "Number one, baby!", "The gold is mine!"},
      {"Silver. Not bad at all.", "Second place! Next time gold.", "Silver suits me."},
      {"Bronze! I made the podium!", "Third is still a medal.", "Bronze, yes!"}};
  static const char* const kPlaceFile[3] = {"gold", "slvr", "brnz"};
  ForEach(3 * 6 * 3, [&](int i) {
    const int p = i / 18, c = i / 3 % 6, d = i % 3;
    Samples fan = Melody(p == 0 ? "C5/16 E5/16 G5/8" : p == 1 ? "C5/16 E5/8" : "C5/8", 140, 2, 0.3);
    Append(fan, Speak(kPlaceWords[p][d], c));
    Wav(out, D, std::string("extra\\medal\\") + kPlaceFile[p] + kMedalTag[c] + std::to_string(d + 1) + ".wav", fan);
  });
  ForEach(6, [&](int c) {
    Wav(out, P, std::string("sounds\\") + kRecordSound[c],
        Speak(std::string("A new record for ") + kCharacterName[c] + "!", c));
  });
  static const char* const kEventWords[10] = {
      "computer throw", "crazy climbing", "hippo run", "nice doggie jump", "troubled waters",
      "full contact figure skating", "three D maze", "platform kickboxing", "javelin catch", "roller derby"};
  ForEach(10, [&](int e) {
    Wav(out, D, std::string("extra\\medal\\") + kEventAnnounce[e],
        Speak(std::string("The results of the ") + kEventWords[e] + ".", kJudge));
  });
  ForEach(6, [&](int c) { Wav(out, P, kAnthem[c], Anthem(c), 8); });

  // COMPUTER THROW. Files shared between rows are written once.
  using namespace throwassets;
  static const char* const kNumberWords[20] = {
      "zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten",
      "eleven", "twelve", "thirteen", "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
  static const char* const kTens[8] = {"twenty", "thirty", "forty", "fifty", "sixty", "seventy", "eighty", "ninety"};
  std::vector<std::pair<int, int>> files;  // (character, slot), each file once
  std::set<std::pair<Root, std::string>> named;
  for (int t = 0; t < kCharacters; ++t)
    for (int slot = 0; slot < kSoundSlots; ++slot) {
      const ThrowFile& f = ThrowSoundFile(t, slot);
      const Root root = f.inProgramDir ? P : D;
      if (named.insert({root, DiskName(f.path)}).second && !out.Has(root, f.path)) files.push_back({t, slot});
    }
  ForEach(int(files.size()), [&](int i) {
    const auto [t, slot] = files[size_t(i)];
    const int voice = VoiceOfThrowChar(t);
    const ThrowFile& f = ThrowSoundFile(t, slot);
    const Root root = f.inProgramDir ? P : D;
    Samples s;
    if (slot <= 2) {
      static const char* const kAttempt[3] = {"First attempt.", "Second attempt.", "Third and final attempt."};
      s = Speak(kAttempt[slot], t < 2 ? kJudge : 2);
    } else if (slot == 3) {
      s = Whoosh(0.35, 3);
      MixInto(s, Thud(110), 0.3);
    } else if (slot == 4) {
      s = Whoosh(0.3, uint32_t(40 + t));
    } else if (slot == 5) {
      s = Thud(90 + 10 * t);
    } else if (slot == 6) {
      s = Noise(0.07, 0.5, uint32_t(60 + t), 0.7);  // a footstep on sand
      Envelope(s, 0.002, 0.05);
    } else if (slot == 7) {
      s = Sweep(900, 200, 0.6, 3, 0.4);  // slide whistle down
      MixInto(s, Thud(80), 0.55);
    } else if (slot == 8) {
      s = Tone(2400, 0.35, 1, 0.25);  // whistle, then the call
      Append(s, Speak("Foul!", kJudge));
    } else if (slot == 9) {
      s = Crowd(1.6, 9, 0.2);
      MixInto(s, Sweep(220, 160, 1.2, 2, 0.2), 0.1);  // a long boo
    } else if (slot == 10) {
      s = Crowd(1.8, 10, 1.0);
    } else if (slot <= 30) {
      s = Speak(kNumberWords[slot - 11], kJudge);
    } else if (slot <= 38) {
      s = Speak(kTens[slot - 31], kJudge);
    } else if (slot == 39) {
      s = Speak("point", kJudge);
    } else if (slot == 40) {
      s = Speak("metres", kJudge);
    } else if (slot == 41) {
      s = Crowd(4.0, 41, 0.4);  // looped: ends as quietly as it starts
    } else if (slot == 42) {
      static const char* const kGrunt[6] = {"Oo oo aa!", "Boing!", "Zap!", "Hup!", "Hyah!", "Aiyee!"};
      s = Speak(kGrunt[t], voice);
    } else if (slot == 43) {
      s = Tone(2400, 0.5, 1, 0.25);
      Append(s, Speak("Let the computer throw begin!", kJudge));
    } else {
      static const char* const kComment[6][3] = {
          {"Banana power!", "Ook! Too heavy.", "Ape wins!"},
          {"Hop and throw!", "Nice one, mate!", "Bounce it!"},
          {"Earth machines are light.", "Gravity is strange here.", "Take me to your leader."},
          {"Where is my lunch?", "That was a good one.", "I need a nap."},
          {"Feel the muscles!", "Too easy!", "Am I beautiful or what?"},
          {"Jungle strength!", "Watch and learn.", "The jungle is proud."}};
      s = Speak(kComment[t][slot - 44], voice);
    }
    Wav(out, root, f.path, s, (slot >= 3 && slot <= 7) || slot == 41 ? 8 : 16);
  });
}

}  // namespace assetgen
