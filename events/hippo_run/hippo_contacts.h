#pragma once
// HIPPO RUN's rule book between actors (see hippo_contacts.cpp): pass 0
// runners against runners (punches, or blocking each other) and against the
// hippos (shoves), pass 1 thrown weapons against runners and hippos.
class HippoActor;

void HippoResolveContacts(HippoActor** table, int count, int pass);
