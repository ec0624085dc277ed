#!/usr/bin/perl
# Parses the built default files with Palm::PDB, an independent PDB reader, and checks
# their identity: the files the program ships must be standard Palm databases.
use strict;
use warnings;
use Palm::PDB;
use Palm::Raw;

my $dir = shift or die "usage: check_pdb.pl <defaults folder>\n";
my %expect = (
    'VowlEventsM.pdb'    => [ 'VowlEventsDB',   'todo' ],
    'VowlRelTypes.pdb'   => [ 'VowlRelTypes',   'ptyp' ],
    'VowlTimeFrames.pdb' => [ 'VowlTimeFrames', 'time' ],
    'VowlVenTypes.pdb'   => [ 'VowlVenTypes',   'vtyp' ],
);
my $failed = 0;
for my $file (sort keys %expect) {
    my ($name, $type) = @{ $expect{$file} };
    my $pdb = Palm::PDB->new;
    eval { $pdb->Load("$dir/$file"); 1 } or do { print "FAIL $file: $@"; $failed++; next };
    my @problems;
    push @problems, "name '$pdb->{name}'"       unless $pdb->{name} eq $name;
    push @problems, "type '$pdb->{type}'"       unless $pdb->{type} eq $type;
    push @problems, "creator '$pdb->{creator}'" unless $pdb->{creator} eq 'Vowl';
    push @problems, "no backup bit"             unless $pdb->{attributes}{backup};
    push @problems, "no records"                unless @{ $pdb->{records} } > 0;
    my %ids;
    for my $r (@{ $pdb->{records} }) {
        push @problems, "record id 0" if $r->{id} == 0;
        push @problems, "duplicate id $r->{id}" if $ids{ $r->{id} }++;
    }
    my $year = (localtime($pdb->{ctime}))[5] + 1900;
    push @problems, "creation year $year" unless $year >= 2020;
    if (@problems) { print "FAIL $file: @problems\n"; $failed++ }
    else { printf "ok   %s: %s/%s, %d records\n", $file, $name, $type, scalar @{ $pdb->{records} } }
}
exit($failed ? 1 : 0);
